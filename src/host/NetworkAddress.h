#pragma once

#include <QString>
#include <optional>

// A Com port's device given as a network line: "rfc2217://host:port" (telnet with the
// serial-port option, whose line settings this program sets) or "socket://host:port"
// (raw TCP, whose line keeps the server's settings). The host is a name, an IPv4
// address or an IPv6 address in brackets.
struct NetworkAddress {
    enum class Kind { Rfc2217, RawTcp };
    static constexpr const char* Rfc2217Scheme = "rfc2217://";
    static constexpr const char* RawTcpScheme = "socket://";

    Kind kind = Kind::Rfc2217;
    QString host;
    quint16 port = 0;
    // As the user wrote it, for messages.
    QString url;

    // Whether a device names a network line at all (by its scheme).
    static bool isUrl(const QString& device);
    // The address of a well-formed URL; nothing for a malformed one or a device path.
    static std::optional<NetworkAddress> parse(const QString& device);
};
