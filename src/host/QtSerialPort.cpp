#include "host/QtSerialPort.h"

#include <QMetaObject>
#include <cerrno>
#include <cstring>

#include "app/HostError.h"
#include "app/Text.h"
#include "host/ComPortMapping.h"
#include "host/QtSettingsStore.h"

#ifdef Q_OS_UNIX
#include <termios.h>
#endif
#ifdef Q_OS_WIN
#include <windows.h>
#endif
#ifdef Q_OS_LINUX
#include <linux/serial.h>
#include <sys/ioctl.h>
#endif

namespace {

// A settings text the line cannot take.
constexpr int InvalidPropertyValue = 380;
// Slack on top of the time the queued output needs on the line.
constexpr int DrainMarginMs = 1000;
constexpr int BitsPerCharacter = 10;

std::string text(const QString& s) { return s.toLocal8Bit().toStdString(); }

// USB serial adapters hold received characters back for their latency timer (16 ms on
// the common chips) unless the driver is asked for low latency, and every acknowledgement
// would wait that long. Pseudo-terminals and built-in UARTs refuse or ignore the request;
// such a port is used as it is.
#ifdef Q_OS_LINUX
void requestLowLatency(int fd) {
    serial_struct serial{};
    if (::ioctl(fd, TIOCGSERIAL, &serial) != 0 || (serial.flags & ASYNC_LOW_LATENCY)) return;
    serial.flags |= ASYNC_LOW_LATENCY;
    ::ioctl(fd, TIOCSSERIAL, &serial);
}
#endif

bool isPermissionFailure(const QString& reason) {
    for (int e : {EACCES, EPERM})
        if (reason == QString::fromLocal8Bit(std::strerror(e))) return true;
    return reason == QLatin1String("Permission denied");
}

}  // namespace

QtSerialPort::QtSerialPort(QObject* parent) : QObject(parent) {
    connect(&port_, &QSerialPort::readyRead, this, &QtSerialPort::scheduleNotification);
    connect(&port_, &QSerialPort::errorOccurred, this, &QtSerialPort::onError);
}

QtSerialPort::~QtSerialPort() {
    port_.disconnect(this);
    if (port_.isOpen()) {
        drain();
        port_.close();
    }
}

bool QtSerialPort::isOpen() const { return port_.isOpen(); }

void QtSerialPort::open() {
    if (port_.isOpen()) throw HostError(ErrorNumber::PortInUse, text(label_ + QStringLiteral(": already open")));
    QtSettingsStore settings;
    const ComPortMapping ports(settings);
    device_ = ports.openablePath(number_);
    label_ = ComPortMapping::label(ports.mapping(number_).device, device_);
    port_.setPortName(device_);
    applySettings();
    if (!port_.open(QIODevice::ReadWrite)) {
        const QSerialPort::SerialPortError error = port_.error();
        const QString why = port_.errorString();
        port_.clearError();
        const std::string reason = text(label_ + QStringLiteral(": ") + why);
        switch (error) {
        case QSerialPort::DeviceNotFoundError:
            throw HostError(ErrorNumber::NoSuchPort, reason);
        case QSerialPort::PermissionError:
            // Busy, locked and forbidden all arrive as this one kind.
            if (isPermissionFailure(why)) {
                const QString advice = ComPortMapping::permissionAdvice(device_);
                throw HostError(ErrorNumber::PermissionDenied,
                                advice.isEmpty() ? reason : reason + Text::CrLf + text(advice));
            }
            throw HostError(ErrorNumber::PortInUse, reason);
        case QSerialPort::OpenError:
            throw HostError(ErrorNumber::PortInUse, reason);
        default:
            throw HostError(ErrorNumber::DeviceIoError, reason);
        }
    }
#ifdef Q_OS_LINUX
    requestLowLatency(port_.handle());
#endif
    // What arrived while nobody listened is not an answer to anything we send now.
    port_.clear(QSerialPort::Input);
}

std::string QtSerialPort::deviceName(int number) const {
    QtSettingsStore settings;
    return text(ComPortMapping(settings).mapping(number).device);
}

void QtSerialPort::close() {
    if (!port_.isOpen()) return;
    drain();
    port_.close();
}

void QtSerialPort::choosePort(int number) {
    if (port_.isOpen()) throw HostError(ErrorNumber::PortInUse, text(label_ + QStringLiteral(": port is open")));
    if (number < 1) throw HostError(ErrorNumber::NoSuchPort, "no port " + std::to_string(number));
    number_ = number;
}

QtSerialPort::LineSettings QtSerialPort::parseSettings(const std::string& settings) {
    const QStringList parts = QString::fromLatin1(settings.c_str()).split(QLatin1Char(','));
    const HostError invalid(InvalidPropertyValue, "invalid line settings \"" + settings + "\"");
    if (parts.size() != 4) throw invalid;
    LineSettings s;
    bool ok = false;
    s.baud = parts[0].trimmed().toInt(&ok);
    if (!ok || s.baud <= 0) throw invalid;

    const QString parity = parts[1].trimmed().toLower();
    if (parity == QLatin1String("n")) s.parity = QSerialPort::NoParity;
    else if (parity == QLatin1String("e")) s.parity = QSerialPort::EvenParity;
    else if (parity == QLatin1String("o")) s.parity = QSerialPort::OddParity;
    else if (parity == QLatin1String("m")) s.parity = QSerialPort::MarkParity;
    else if (parity == QLatin1String("s")) s.parity = QSerialPort::SpaceParity;
    else throw invalid;

    const int bits = parts[2].trimmed().toInt(&ok);
    if (!ok || bits < 5 || bits > 8) throw invalid;
    s.dataBits = static_cast<QSerialPort::DataBits>(bits);

    const QString stop = parts[3].trimmed();
    if (stop == QLatin1String("1")) s.stopBits = QSerialPort::OneStop;
    else if (stop == QLatin1String("1.5")) s.stopBits = QSerialPort::OneAndHalfStop;
    else if (stop == QLatin1String("2")) s.stopBits = QSerialPort::TwoStop;
    else throw invalid;
    return s;
}

void QtSerialPort::setSettings(const std::string& settings) {
    if (settings.empty()) return;
    settings_ = parseSettings(settings);
    if (!port_.isOpen()) return;
    // A command written just before a rate change must leave at the old rate.
    drain();
    applySettings();
}

void QtSerialPort::applySettings() {
    const bool ok = port_.setBaudRate(settings_.baud) && port_.setParity(settings_.parity) &&
                    port_.setDataBits(settings_.dataBits) && port_.setStopBits(settings_.stopBits);
    if (!ok) {
        const std::string reason = text(label_ + QStringLiteral(": ") + port_.errorString());
        port_.clearError();
        throw HostError(InvalidPropertyValue, reason);
    }
}

void QtSerialPort::write(const std::string& bytes) {
    if (!port_.isOpen()) throw HostError(ErrorNumber::PortNotOpen, "port is not open");
    const qint64 written = port_.write(bytes.data(), static_cast<qint64>(bytes.size()));
    if (written != static_cast<qint64>(bytes.size()) && port_.isOpen())
        throw HostError(ErrorNumber::DeviceIoError, text(label_ + QStringLiteral(": ") + port_.errorString()));
    port_.flush();
}

std::string QtSerialPort::read(int maxChars) {
    if (lineLost_) {
        lineLost_ = false;
        throw HostError(ErrorNumber::DeviceIoError, text(lostReason_));
    }
    if (!port_.isOpen()) return {};
    const QByteArray data = maxChars <= 0 ? port_.readAll() : port_.read(maxChars);
    if (port_.bytesAvailable() > 0) scheduleNotification();
    return std::string(data.constData(), static_cast<size_t>(data.size()));
}

int QtSerialPort::waiting() const { return port_.isOpen() ? static_cast<int>(port_.bytesAvailable()) : 0; }

void QtSerialPort::setReceiveHandler(std::function<void()> handler) { handler_ = std::move(handler); }

void QtSerialPort::drain() {
    while (port_.isOpen() && port_.bytesToWrite() > 0) {
        const qint64 lineMs = port_.bytesToWrite() * BitsPerCharacter * 1000 / settings_.baud;
        if (!port_.waitForBytesWritten(static_cast<int>(lineMs) + DrainMarginMs)) break;
    }
    if (!port_.isOpen()) return;
#ifdef Q_OS_UNIX
    ::tcdrain(port_.handle());
#elif defined(Q_OS_WIN)
    ::FlushFileBuffers(port_.handle());
#endif
}

void QtSerialPort::onError(QSerialPort::SerialPortError error) {
    switch (error) {
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
    case QSerialPort::ResourceError:
    case QSerialPort::UnknownError:
        break;
    default:
        // Time-outs of our own waits, pseudo-terminals refusing modem-line calls, and
        // failures to open (reported by open itself) are not a lost line.
        return;
    }
    if (!port_.isOpen()) return;
    // The port stays "open" after a hang-up and floods errors: close it now and let the
    // next read report the failure.
    lostReason_ = label_ + QStringLiteral(": ") + port_.errorString();
    lineLost_ = true;
    port_.clearError();
    port_.close();
    scheduleNotification();
}

void QtSerialPort::scheduleNotification() {
    if (notificationPending_) return;
    notificationPending_ = true;
    QMetaObject::invokeMethod(this, &QtSerialPort::notify, Qt::QueuedConnection);
}

void QtSerialPort::notify() {
    notificationPending_ = false;
    if (!handler_) return;
    handler_();
    if (port_.isOpen() && port_.bytesAvailable() > 0) scheduleNotification();
}
