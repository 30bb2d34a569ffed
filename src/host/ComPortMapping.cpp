#include "host/ComPortMapping.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <QStringList>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/HostError.h"
#include "app/Settings.h"
#include "app/SettingsStore.h"
#include "app/Text.h"
#include "host/HostPathMapping.h"
#include "host/NetworkAddress.h"
#include "host/NetworkSerialPort.h"

#ifdef Q_OS_UNIX
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

constexpr const char* StableNameFolder = "/dev/serial/by-id";
constexpr const char* UsualGroup = "dialout";
constexpr const char* NotPresent = "not present";

std::string settingName(int number) { return ComPortMapping::SettingPrefix + std::to_string(number); }
std::string portsKey() { return std::string(Settings::ProgramKey) + '\\' + ComPortMapping::SettingGroup; }

QString canonical(const QString& path) { return QFileInfo(path).canonicalFilePath(); }

#ifdef Q_OS_UNIX
[[noreturn]] void fail(int number, const QString& text, const QString& advice = {}) {
    std::string reason = HostPathMapping::toEngine(text);
    if (!advice.isEmpty()) reason += Text::CrLf + HostPathMapping::toEngine(advice);
    throw HostError(number, reason);
}

QString systemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }
#endif

}  // namespace

ComPortMapping::ComPortMapping(SettingsStore& settings, DeviceList listDevices)
    : settings_(settings), listDevices_(std::move(listDevices)) {}

ComPortMapping::Mapping ComPortMapping::mapping(int number) const {
    const QByteArray variable = qgetenv((std::string(VariablePrefix) + std::to_string(number)).c_str());
    if (!variable.isEmpty()) return {QFile::decodeName(variable), Source::Environment};
    const auto setting = settings_.read(portsKey(), settingName(number));
    if (setting && setting->type == SettingValue::Type::Text && !setting->text.empty())
        return {HostPathMapping::fromEngine(setting->text), Source::Setting};
#ifdef Q_OS_WIN
    return {QStringLiteral("COM%1").arg(number), Source::Default};
#else
    return {QStringLiteral("/dev/ttyS%1").arg(number - 1), Source::Default};
#endif
}

bool ComPortMapping::assignable() {
#ifdef Q_OS_WIN
    return false;
#else
    return true;
#endif
}

bool ComPortMapping::assign(int number, const SerialDevice& device) {
    if (!assignable() || mapping(number).source == Source::Environment) return false;
    const QString& path = device.stablePath.isEmpty() ? device.path : device.stablePath;
    settings_.write(portsKey(), settingName(number), SettingValue::fromText(HostPathMapping::toEngine(path)));
    return true;
}

bool ComPortMapping::assign(int number, const QString& device) {
    if (!assignable() || mapping(number).source == Source::Environment || device.trimmed().isEmpty()) return false;
    const QString typed = device.trimmed();
    const QString stored = NetworkAddress::isUrl(typed) ? typed : QDir::cleanPath(typed);
    settings_.write(portsKey(), settingName(number), SettingValue::fromText(HostPathMapping::toEngine(stored)));
    return true;
}

bool ComPortMapping::clear(int number) {
    if (!assignable() || mapping(number).source == Source::Environment) return false;
    settings_.remove(portsKey(), settingName(number));
    return true;
}

bool ComPortMapping::isNetworkLine(int number) const { return NetworkAddress::isUrl(mapping(number).device); }

namespace {

QString networkPresence(const QString& device) {
    const auto address = NetworkAddress::parse(device);
    if (!address) return QStringLiteral("not a network address (rfc2217://host:port or socket://host:port)");
    const QString why = NetworkSerialPort::probe(*address, ComPortMapping::AnswerProbeMs);
    const bool telnet = address->kind == NetworkAddress::Kind::Rfc2217;
    const QString kind = telnet ? QStringLiteral("RFC 2217") : QStringLiteral("raw TCP at the server's rate");
    return why.isEmpty() ? kind + QStringLiteral(", server answers")
                         : kind + QStringLiteral(", server does not answer: ") + why;
}

}  // namespace

QString ComPortMapping::checkDevice(const QString& device) {
    const QString typed = device.trimmed();
    if (typed.isEmpty()) return QStringLiteral("Type a device path or a network URL first.");
    if (NetworkAddress::isUrl(typed)) {
        const auto address = NetworkAddress::parse(typed);
        if (!address)
            return QStringLiteral("%1 is not a network address: write rfc2217://host:port or socket://host:port "
                                  "(an IPv6 address in brackets).")
                .arg(typed);
        const QString why = NetworkSerialPort::probe(*address, AnswerProbeMs);
        return why.isEmpty() ? QString() : QStringLiteral("The server of %1 does not answer: %2.").arg(typed, why);
    }
    if (!QFileInfo::exists(typed)) return QStringLiteral("%1 does not exist on this machine.").arg(typed);
    return {};
}

const QList<SerialDevice>& ComPortMapping::devices() const {
    if (!devices_) devices_ = listDevices_();
    return *devices_;
}

void ComPortMapping::refresh() { devices_ = listDevices_(); }

std::optional<SerialDevice> ComPortMapping::presentDevice(int number) const {
    const QString device = mapping(number).device;
#ifdef Q_OS_WIN
    for (const SerialDevice& d : devices())
        if (d.path.compare(device, Qt::CaseInsensitive) == 0) return d;
#else
    // A stable name, or any other link, leads to the node the system lists.
    const QString node = canonical(device);
    if (node.isEmpty()) return std::nullopt;
    for (const SerialDevice& d : devices())
        if (canonical(d.path) == node) return d;
#endif
    return std::nullopt;
}

QString ComPortMapping::presence(int number) const {
    if (isNetworkLine(number)) return networkPresence(mapping(number).device);
    if (const auto d = presentDevice(number)) {
        QStringList details;
        for (const QString& detail : {d->description, d->manufacturer})
            if (!detail.isEmpty()) details << detail;
        if (!d->serialNumber.isEmpty()) details << QStringLiteral("serial number %1").arg(d->serialNumber);
        return details.isEmpty() ? QStringLiteral("present") : details.join(QStringLiteral(", "));
    }
    return present(number) ? QStringLiteral("present") : QLatin1String(NotPresent);
}

bool ComPortMapping::present(int number) const {
    return presentDevice(number) || QFileInfo::exists(mapping(number).device);
}

QString ComPortMapping::mark(int number) const {
    if (!present(number)) return QLatin1String(NotPresent);
    const auto d = presentDevice(number);
    const QString device = d ? d->path : mapping(number).device;
    // Named as under /dev ("ttyUSB0", "pts/3"); a node elsewhere by its whole path.
    const QString devices = QStringLiteral("/dev/");
    const QString name = device.startsWith(devices) ? device.mid(devices.size()) : device;
    return name + QStringLiteral(", ") + (d && !d->description.isEmpty() ? d->description : QStringLiteral("present"));
}

QString ComPortMapping::describe(int number) const {
    const QString device = mapping(number).device;
    if (isNetworkLine(number)) return device + QStringLiteral(": ") + presence(number);
    const auto d = presentDevice(number);
    return label(device, d ? d->path : device) + QStringLiteral(": ") + presence(number);
}

QString ComPortMapping::label(const QString& named, const QString& resolved) {
    return resolved.isEmpty() || resolved == named ? named : QStringLiteral("%1 (%2)").arg(named, resolved);
}

QString ComPortMapping::permissionAdvice(const QString& device) {
#ifdef Q_OS_UNIX
    QString owner;
    struct stat info {};
    if (::stat(QFile::encodeName(device).constData(), &info) == 0)
        if (const struct group* g = ::getgrgid(info.st_gid)) owner = QString::fromLocal8Bit(g->gr_name);
    if (owner.isEmpty() || owner == QLatin1String("root"))
        return QStringLiteral("On Linux the user must belong to the group that owns the device (usually %1) "
                              "and log in again")
            .arg(QLatin1String(UsualGroup));
    return QStringLiteral("On Linux the user must belong to the group that owns the device (%1) and log in "
                          "again: sudo usermod -aG %1 $USER")
        .arg(owner);
#else
    Q_UNUSED(device);
    return {};
#endif
}

QString ComPortMapping::openablePath(int number) const {
    const QString named = mapping(number).device;
#ifdef Q_OS_UNIX
    // Two names of one device must meet at one lock, so the port opens the node itself.
    char resolved[PATH_MAX];
    if (!::realpath(QFile::encodeName(named).constData(), resolved)) {
        const int e = errno;
        const QString reason = named + QStringLiteral(": ") + systemReason(e);
        if (e == EACCES || e == EPERM) fail(ErrorNumber::PermissionDenied, reason, permissionAdvice(named));
        fail(ErrorNumber::NoSuchPort, reason);
    }
    const QString node = QFile::decodeName(resolved);
    if (::access(resolved, R_OK | W_OK) != 0) {
        const int e = errno;
        if (e == EACCES || e == EPERM || e == EROFS)
            fail(ErrorNumber::PermissionDenied, label(named, node) + QStringLiteral(": ") + systemReason(e),
                 permissionAdvice(node));
    }
    return node;
#else
    return named;
#endif
}

QList<SerialDevice> ComPortMapping::presentDevices() {
    QList<SerialDevice> devices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        SerialDevice d;
#ifdef Q_OS_WIN
        d.path = info.portName();
#else
        d.path = info.systemLocation();
#endif
        d.description = info.description();
        d.manufacturer = info.manufacturer();
        d.serialNumber = info.serialNumber();
        if (info.hasVendorIdentifier()) d.vendorId = info.vendorIdentifier();
        if (info.hasProductIdentifier()) d.productId = info.productIdentifier();
        devices << d;
    }
    return withStableNames(devices, QLatin1String(StableNameFolder));
}

QList<SerialDevice> ComPortMapping::withStableNames(QList<SerialDevice> devices, const QString& folder) {
    const QFileInfoList links =
        QDir(folder).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (SerialDevice& d : devices) {
        const QString node = canonical(d.path);
        for (const QFileInfo& link : links) {
            if (!node.isEmpty() && link.isSymLink() && link.canonicalFilePath() == node) {
                d.stablePath = link.absoluteFilePath();
                break;
            }
        }
    }
    return devices;
}
