#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTcpSocket>
#include <QTimer>
#include <functional>
#include <optional>
#include <string>

#include "app/SerialPort.h"
#include "host/NetworkAddress.h"
#include "host/QtSerialPort.h"
#include "host/TelnetCodec.h"

// A serial line on a terminal server, reached over TCP: the Com port's device is
// "rfc2217://host:port" or "socket://host:port". Served by the event loop like the local
// port: received bytes raise the receive notification, nothing is polled.
//
// RFC 2217 lines take their settings from this program; a rate change goes out after
// the bytes written before it and is followed by a wait for the server's answer, so
// that nothing is written at the new rate while earlier bytes may still be leaving at
// the old one. Raw TCP lines keep the server's settings: only the transfer rate can
// work on them, and the upload is told so before it starts.
//
// Closing keeps the connection for a moment, because the program closes and reopens
// its port for every rate change and a terminal server serves one client at a time:
// a new connection could meet the old one still being taken down.
class NetworkSerialPort : public QObject, public SerialPort {
    Q_OBJECT

public:
    static constexpr int ConnectLimitMs = 5000;
    // A server that takes a rate change answers it; one that does not is not waited for longer.
    static constexpr int RateAnswerMs = 1000;
    // How long a closed line keeps its connection for the next open.
    static constexpr int KeepConnectionMs = 1500;
    // How long opens report a connection that dropped, rather than trying a server that has gone.
    static constexpr int LostReportMs = 5000;
    // A server that refuses a client says so and hangs up at once; a raw TCP line, which has
    // no answer to wait for, is given this long to do it.
    static constexpr int RefusalWaitMs = 150;
    // A server still letting go of the last connection hangs up on the next one at once and
    // without a word; it is tried again for this long before the port counts as in use.
    static constexpr int SilentRefusalRetryMs = 2000;
    static constexpr int RetryPauseMs = 100;
    static constexpr size_t KeptGreetingChars = 512;
    // The rate a raw TCP line must run at: the rate of the transfer.
    static constexpr int RawTcpBaud = 57600;

    explicit NetworkSerialPort(QObject* parent = nullptr);
    ~NetworkSerialPort() override;

    bool isOpen() const override { return open_; }
    void open() override;
    void close() override;
    void choosePort(int number) override;
    void setSettings(const std::string& settings) override;
    void write(const std::string& bytes) override;
    std::string read(int maxChars) override;
    int waiting() const override;
    void setReceiveHandler(std::function<void()> handler) override;
    int fixedBaud() const override;
    std::string rateLimit(int baud) const override;
    std::string deviceName(int number) const override { return text(mappedDevice(number)); }

    // Whether a server answers at the address now: empty when it does, else why not.
    static QString probe(const NetworkAddress& address, int limitMs);

private:
    static QString mappedDevice(int number);
    static std::string text(const QString& s) { return s.toLocal8Bit().toStdString(); }
    void connectTo(const NetworkAddress& address);
    void disconnectNow();
    void applySettings(bool force);
    void flushOutput();
    void waitForBaudAnswer(int answersBefore);
    [[noreturn]] void refused();
    void take(const QByteArray& bytes);
    void onReadyRead();
    void onDisconnected();
    [[noreturn]] void failOpen(const std::string& reason);
    void scheduleNotification();
    void notify();
    std::string label() const;

    QTcpSocket socket_;
    QTimer release_;
    std::optional<NetworkAddress> address_;
    TelnetCodec codec_;
    int number_ = 1;
    bool open_ = false;
    std::string received_;
    // What the server said before the line was open: its reason when it hangs up.
    std::string greetingText_;
    QtSerialPort::LineSettings settings_;
    std::optional<QtSerialPort::LineSettings> applied_;
    std::function<void()> handler_;
    bool notificationPending_ = false;
    bool lineLost_ = false;
    std::string lostReason_;
    QString lostUrl_;
    QElapsedTimer lostAt_;
};
