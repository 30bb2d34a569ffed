#include "host/NetworkAddress.h"

#include <QHostAddress>

namespace {

std::optional<NetworkAddress::Kind> kindOf(const QString& device) {
    if (device.startsWith(QLatin1String(NetworkAddress::Rfc2217Scheme), Qt::CaseInsensitive))
        return NetworkAddress::Kind::Rfc2217;
    if (device.startsWith(QLatin1String(NetworkAddress::RawTcpScheme), Qt::CaseInsensitive))
        return NetworkAddress::Kind::RawTcp;
    return std::nullopt;
}

}  // namespace

bool NetworkAddress::isUrl(const QString& device) { return kindOf(device).has_value(); }

std::optional<NetworkAddress> NetworkAddress::parse(const QString& device) {
    const auto kind = kindOf(device);
    if (!kind) return std::nullopt;
    const int schemeLength = device.indexOf(QLatin1String("://")) + 3;
    QString rest = device.mid(schemeLength);
    if (rest.endsWith(u'/')) rest.chop(1);
    const int colon = rest.lastIndexOf(u':');
    if (colon <= 0) return std::nullopt;
    QString host = rest.left(colon);
    bool ok = false;
    const uint port = rest.mid(colon + 1).toUInt(&ok);
    if (!ok || port == 0 || port > 65535) return std::nullopt;
    if (host.startsWith(u'[')) {
        if (!host.endsWith(u']')) return std::nullopt;
        host = host.mid(1, host.size() - 2);
        if (QHostAddress(host).protocol() != QAbstractSocket::IPv6Protocol) return std::nullopt;
    } else if (host.contains(u':') || host.contains(u'/') || host.contains(u'@') || host.contains(u' ')) {
        // An IPv6 address goes in brackets; user names and paths have no place here.
        return std::nullopt;
    }
    if (host.isEmpty()) return std::nullopt;
    return NetworkAddress{*kind, host, quint16(port), device};
}
