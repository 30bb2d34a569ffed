#pragma once

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

// ser2net serving one terminal on loopback: an RFC 2217 telnet accepter and a raw TCP
// accepter, started in the foreground without lock files.
namespace Ser2net {

constexpr const char* Program = "/usr/sbin/ser2net";

// A loopback socket connected to the port; with port 0, a loopback port nobody listens on now.
inline int LoopbackSocket(int port) {
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{AF_INET, htons(uint16_t(port)), {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t size = sizeof a;
    auto* address = reinterpret_cast<sockaddr*>(&a);
    if (port) return ::connect(s, address, size) == 0 ? s : (::close(s), -1);
    ::bind(s, address, size);
    ::getsockname(s, address, &size);
    ::close(s);
    return ntohs(a.sin_port);
}
inline int FreePort() { return LoopbackSocket(0); }

// Waits a bounded while until the kernel lists both ports as listening; looked up
// without connecting, which would make the server open its device.
inline bool AwaitListening(int a, int b) {
    for (int i = 0; i < 500; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(10))) {
        std::ifstream table("/proc/net/tcp");
        int found = 0;
        for (std::string line; std::getline(table, line);)
            for (int port : {a, b}) {
                char hex[32];
                std::snprintf(hex, sizeof hex, ":%04X 00000000:0000 0A", port);
                found += line.find(hex) != std::string::npos;
            }
        if (found >= 2) return true;
    }
    return false;
}

// The configuration text; the raw line's settings as ser2net writes them ("57600n81").
// Without chardelay the server passes on each character as it comes, rather than a
// couple of character times later, which every acknowledgement would wait for.
inline std::string Config(int telnetPort, int rawPort, const std::string& device, const std::string& rawLine) {
    const std::string options = ",local\n  options:\n    chardelay: false\n";
    return "%YAML 1.1\n---\nconnection: &telnet\n  accepter: telnet(rfc2217),tcp,127.0.0.1," +
           std::to_string(telnetPort) + "\n  connector: serialdev," + device + ",9600n81" + options +
           "connection: &raw\n  accepter: tcp,127.0.0.1," + std::to_string(rawPort) + "\n  connector: serialdev," +
           device + "," + rawLine + options;
}

inline std::vector<std::string> Args(const std::string& configPath) { return {"-n", "-u", "-c", configPath}; }

}  // namespace Ser2net
