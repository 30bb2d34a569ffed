#include "host/NetworkSerialPort.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QMetaObject>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "app/HostError.h"
#include "host/ComPortMapping.h"
#include "host/QtSettingsStore.h"

namespace {

char parityLetter(QSerialPort::Parity parity) {
    switch (parity) {
    case QSerialPort::OddParity: return 'o';
    case QSerialPort::EvenParity: return 'e';
    case QSerialPort::MarkParity: return 'm';
    case QSerialPort::SpaceParity: return 's';
    default: return 'n';
    }
}

const char* stopText(QSerialPort::StopBits stop) {
    return stop == QSerialPort::TwoStop ? "2" : stop == QSerialPort::OneAndHalfStop ? "1.5" : "1";
}

bool sameLine(const QtSerialPort::LineSettings& a, const QtSerialPort::LineSettings& b) {
    return a.baud == b.baud && a.parity == b.parity && a.dataBits == b.dataBits && a.stopBits == b.stopBits;
}

// The server's own words (a busy notice, a failure to open its device), without the
// telnet commands around them.
QString spoken(const std::string& bytes) {
    QString said = QString::fromLocal8Bit(bytes.data(), qsizetype(bytes.size())).trimmed();
    said.replace(QLatin1String("\r\n"), QLatin1String(" "));
    return said;
}

// The host's addresses, looked up within the time limit: a name server that does not
// answer must hold the program no longer than a terminal server that does not. Nothing
// when the time ran out; the lookup then ends on its own thread, unheeded.
std::optional<QHostInfo> lookUp(const QString& host, int limitMs) {
    if (const QHostAddress literal(host); !literal.isNull()) {
        QHostInfo info;
        info.setAddresses({literal});
        return info;
    }
    struct Shared {
        std::mutex lock;
        std::condition_variable done;
        std::optional<QHostInfo> info;
    };
    const auto shared = std::make_shared<Shared>();
    std::thread([shared, host] {
        QHostInfo info = QHostInfo::fromName(host);
        const std::lock_guard<std::mutex> hold(shared->lock);
        shared->info = std::move(info);
        shared->done.notify_all();
    }).detach();
    std::unique_lock<std::mutex> hold(shared->lock);
    shared->done.wait_for(hold, std::chrono::milliseconds(limitMs), [&] { return shared->info.has_value(); });
    return shared->info;
}

// Connects within the time limit, the name's lookup included: empty, or why not.
QString connectWithin(QTcpSocket& socket, const NetworkAddress& address, int limitMs) {
    QElapsedTimer waited;
    waited.start();
    const std::optional<QHostInfo> host = lookUp(address.host, limitMs);
    if (!host) return QStringLiteral("no answer from the name server within %1 s").arg(limitMs / 1000.0);
    if (host->error() != QHostInfo::NoError || host->addresses().isEmpty()) return host->errorString();
    socket.connectToHost(host->addresses().constFirst(), address.port);
    if (socket.waitForConnected(int(std::max<qint64>(1, limitMs - waited.elapsed())))) return {};
    if (socket.error() == QAbstractSocket::SocketTimeoutError || socket.state() != QAbstractSocket::UnconnectedState)
        return QStringLiteral("no answer from the server within %1 s").arg(limitMs / 1000.0);
    return socket.errorString();
}

}  // namespace

NetworkSerialPort::NetworkSerialPort(QObject* parent) : QObject(parent) {
    release_.setSingleShot(true);
    connect(&release_, &QTimer::timeout, this, &NetworkSerialPort::disconnectNow);
    connect(&socket_, &QTcpSocket::readyRead, this, &NetworkSerialPort::onReadyRead);
    connect(&socket_, &QTcpSocket::disconnected, this, &NetworkSerialPort::onDisconnected);
}

NetworkSerialPort::~NetworkSerialPort() {
    socket_.disconnect(this);
    if (open_) flushOutput();
    socket_.abort();
}

std::string NetworkSerialPort::label() const { return text(address_ ? address_->url : QString()); }

QString NetworkSerialPort::mappedDevice(int number) {
    QtSettingsStore settings;
    return ComPortMapping(settings).mapping(number).device;
}

void NetworkSerialPort::open() {
    if (open_) throw HostError(ErrorNumber::PortInUse, label() + ": already open");
    const QString device = mappedDevice(number_);
    const std::optional<NetworkAddress> address = NetworkAddress::parse(device);
    if (!address)
        throw HostError(ErrorNumber::NoSuchPort,
                        text(device + QStringLiteral(": not a network address; write rfc2217://host:port or "
                                                     "socket://host:port")));
    const NetworkAddress& wanted = *address;
    // A server that has just gone is reported as the connection that closed, not as a
    // port that was never there.
    if (lostAt_.isValid() && lostUrl_ == wanted.url && !lostAt_.hasExpired(LostReportMs))
        throw HostError(ErrorNumber::DeviceIoError, lostReason_);
    release_.stop();
    const bool reuse = socket_.state() == QAbstractSocket::ConnectedState && address_ && address_->url == wanted.url;
    if (!reuse) {
        disconnectNow();
        connectTo(wanted);
    }
    if (address_->kind == NetworkAddress::Kind::Rfc2217) {
        applySettings(!reuse);
        // What arrived while nobody listened is not an answer to anything we send now.
        socket_.write(QByteArray::fromStdString(TelnetCodec::purge(TelnetCodec::Purge::Received)));
        flushOutput();
    }
    greetingText_.clear();
    received_.clear();
    lineLost_ = false;
    open_ = true;
}

void NetworkSerialPort::failOpen(const std::string& reason) {
    disconnectNow();
    throw HostError(ErrorNumber::NoSuchPort, reason);
}

void NetworkSerialPort::connectTo(const NetworkAddress& address) {
    QElapsedTimer trying;
    trying.start();
    for (;;) {
        address_ = address;
        codec_ = TelnetCodec();
        applied_.reset();
        greetingText_.clear();
        const QString why = connectWithin(socket_, address, ConnectLimitMs);
        if (!why.isEmpty()) failOpen(text(address.url + QStringLiteral(": ") + why));
        // Acknowledgements are a byte or two: they must not wait for more to send.
        socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        if (address.kind == NetworkAddress::Kind::Rfc2217) {
            socket_.write(QByteArray::fromStdString(codec_.greeting()));
            return;
        }
        if (!socket_.waitForDisconnected(RefusalWaitMs)) return;
        take(socket_.readAll());
        if (!spoken(greetingText_).isEmpty() || trying.hasExpired(SilentRefusalRetryMs)) refused();
        socket_.abort();
        std::this_thread::sleep_for(std::chrono::milliseconds(RetryPauseMs));
    }
}

void NetworkSerialPort::refused() {
    // A server that refuses this client (it serves another) says why, then hangs up; its
    // last words may still wait in the socket.
    take(socket_.readAll());
    const QString said = spoken(greetingText_);
    const std::string reason =
        label() + ": the server closed the connection" + (said.isEmpty() ? "" : ": " + text(said));
    disconnectNow();
    throw HostError(ErrorNumber::PortInUse, reason);
}

void NetworkSerialPort::disconnectNow() {
    release_.stop();
    socket_.abort();
    address_.reset();
}

void NetworkSerialPort::close() {
    if (!open_) return;
    flushOutput();
    open_ = false;
    received_.clear();
    release_.start(KeepConnectionMs);
}

void NetworkSerialPort::choosePort(int number) {
    if (open_) throw HostError(ErrorNumber::PortInUse, label() + ": port is open");
    if (number < 1) throw HostError(ErrorNumber::NoSuchPort, "no port " + std::to_string(number));
    number_ = number;
}

void NetworkSerialPort::setSettings(const std::string& settings) {
    if (settings.empty()) return;
    settings_ = QtSerialPort::parseSettings(settings);
    if (open_ && address_ && address_->kind == NetworkAddress::Kind::Rfc2217) applySettings(false);
}

void NetworkSerialPort::applySettings(bool force) {
    if (applied_ && sameLine(*applied_, settings_) && !force) return;
    const bool rateChanges = force || !applied_ || applied_->baud != settings_.baud;
    // The command must not overtake the bytes written before it.
    flushOutput();
    std::string commands;
    if (rateChanges) commands += TelnetCodec::setBaud(uint32_t(settings_.baud));
    commands += TelnetCodec::setDataSize(int(settings_.dataBits));
    commands += TelnetCodec::setParity(parityLetter(settings_.parity));
    commands += TelnetCodec::setStopSize(stopText(settings_.stopBits));
    const int answersBefore = codec_.baudAnswers();
    socket_.write(QByteArray::fromStdString(commands));
    applied_ = settings_;
    if (rateChanges) waitForBaudAnswer(answersBefore);
}

void NetworkSerialPort::waitForBaudAnswer(int answersBefore) {
    QElapsedTimer waited;
    waited.start();
    flushOutput();
    // Blocking on the socket alone: no other event of the program runs meanwhile, as
    // with a local port whose rate is being set.
    while (codec_.baudAnswers() == answersBefore && !codec_.comPortRefused() && !waited.hasExpired(RateAnswerMs) &&
           socket_.state() == QAbstractSocket::ConnectedState) {
        if (socket_.waitForReadyRead(int(RateAnswerMs - waited.elapsed()))) take(socket_.readAll());
    }
    // A line that drops while open is reported by the next read.
    if (socket_.state() != QAbstractSocket::ConnectedState && !open_) refused();
}

void NetworkSerialPort::flushOutput() {
    QElapsedTimer waited;
    waited.start();
    while (socket_.bytesToWrite() > 0 && socket_.state() == QAbstractSocket::ConnectedState &&
           !waited.hasExpired(ConnectLimitMs))
        if (!socket_.waitForBytesWritten(int(ConnectLimitMs - waited.elapsed()))) break;
}

void NetworkSerialPort::write(const std::string& bytes) {
    if (!open_) throw HostError(ErrorNumber::PortNotOpen, "port is not open");
    const bool telnet = address_->kind == NetworkAddress::Kind::Rfc2217;
    const QByteArray out = QByteArray::fromStdString(telnet ? TelnetCodec::escaped(bytes) : bytes);
    if (socket_.write(out) != out.size())
        throw HostError(ErrorNumber::DeviceIoError, label() + ": " + text(socket_.errorString()));
    socket_.flush();
}

void NetworkSerialPort::take(const QByteArray& bytes) {
    const std::string_view in(bytes.constData(), size_t(bytes.size()));
    if (address_ && address_->kind == NetworkAddress::Kind::Rfc2217) {
        const std::string data = codec_.receive(in);
        const std::string replies = codec_.takeReplies();
        if (!replies.empty()) socket_.write(QByteArray::fromStdString(replies));
        (open_ ? received_ : greetingText_) += data;
    } else {
        (open_ ? received_ : greetingText_).append(in);
    }
    // Only the server's last words are kept for a message, whatever it sends meanwhile.
    if (greetingText_.size() > KeptGreetingChars) greetingText_.erase(0, greetingText_.size() - KeptGreetingChars);
}

void NetworkSerialPort::onReadyRead() {
    take(socket_.readAll());
    if (open_ && !received_.empty()) scheduleNotification();
}

void NetworkSerialPort::onDisconnected() {
    release_.stop();
    if (!open_) return;
    // Like a line that goes away: closed now, the next read reports it.
    lostReason_ = label() + ": the connection closed";
    lostUrl_ = address_ ? address_->url : QString();
    lostAt_.start();
    lineLost_ = true;
    open_ = false;
    received_.clear();
    address_.reset();
    scheduleNotification();
}

std::string NetworkSerialPort::read(int maxChars) {
    if (lineLost_) {
        lineLost_ = false;
        throw HostError(ErrorNumber::DeviceIoError, lostReason_);
    }
    if (!open_) return {};
    const size_t n = maxChars <= 0 ? received_.size() : std::min(received_.size(), size_t(maxChars));
    std::string out = received_.substr(0, n);
    received_.erase(0, n);
    if (!received_.empty()) scheduleNotification();
    return out;
}

int NetworkSerialPort::waiting() const { return open_ ? int(received_.size()) : 0; }

void NetworkSerialPort::setReceiveHandler(std::function<void()> handler) { handler_ = std::move(handler); }

int NetworkSerialPort::fixedBaud() const {
    const auto address = NetworkAddress::parse(mappedDevice(number_));
    return address && address->kind == NetworkAddress::Kind::RawTcp ? RawTcpBaud : 0;
}

std::string NetworkSerialPort::rateLimit(int baud) const {
    const int fixed = fixedBaud();
    if (!fixed || baud == fixed) return {};
    const QString url = mappedDevice(number_);
    return text(QStringLiteral("%1 is a raw TCP line: it keeps the server's rate, which this program cannot change, "
                               "and an upload through it runs at %2 baud only; this one needs %3 baud. Use "
                               "rfc2217:// for it, or a server line and a loader at the rate it needs.")
                    .arg(url)
                    .arg(fixed)
                    .arg(baud));
}

QString NetworkSerialPort::probe(const NetworkAddress& address, int limitMs) {
    QTcpSocket socket;
    const QString why = connectWithin(socket, address, limitMs);
    socket.abort();
    return why;
}

void NetworkSerialPort::scheduleNotification() {
    if (notificationPending_) return;
    notificationPending_ = true;
    QMetaObject::invokeMethod(this, &NetworkSerialPort::notify, Qt::QueuedConnection);
}

void NetworkSerialPort::notify() {
    notificationPending_ = false;
    if (!handler_) return;
    handler_();
    if (open_ && !received_.empty()) scheduleNotification();
}
