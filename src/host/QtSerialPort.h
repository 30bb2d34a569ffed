#pragma once

#include <QObject>
#include <QSerialPort>
#include <QString>
#include <functional>
#include <string>

#include "app/SerialPort.h"

// The serial line on QSerialPort. Port n is the device ComPortMapping gives it; the
// host's reasons for failures name that device.
//
// Habits of QSerialPort absorbed here: output is drained to the line before the port
// is closed or its rate changed; a line that goes away is closed at once and its
// failure handed to the receive handler through the next read; the receive
// notification is raised from the event loop only, and again while characters remain.
class QtSerialPort : public QObject, public SerialPort {
    Q_OBJECT

public:
    explicit QtSerialPort(QObject* parent = nullptr);
    ~QtSerialPort() override;

    bool isOpen() const override;
    void open() override;
    void close() override;
    void choosePort(int number) override;
    void setSettings(const std::string& settings) override;
    void write(const std::string& bytes) override;
    std::string read(int maxChars) override;
    int waiting() const override;
    void setReceiveHandler(std::function<void()> handler) override;
    std::string deviceName(int number) const override;

    // A settings text such as "57600,n,8,1", as the line takes it. Fails as HostError 380.
    struct LineSettings {
        qint32 baud = 9600;
        QSerialPort::Parity parity = QSerialPort::NoParity;
        QSerialPort::DataBits dataBits = QSerialPort::Data8;
        QSerialPort::StopBits stopBits = QSerialPort::OneStop;
    };
    static LineSettings parseSettings(const std::string& text);

private:
    void applySettings();
    void drain();
    void onError(QSerialPort::SerialPortError error);
    void scheduleNotification();
    void notify();

    QSerialPort port_;
    int number_ = 1;
    // The device node opened, and the device as named in messages.
    QString device_;
    QString label_;
    LineSettings settings_;
    std::function<void()> handler_;
    bool notificationPending_ = false;
    // The line went away; the next read reports it.
    bool lineLost_ = false;
    QString lostReason_;
};
