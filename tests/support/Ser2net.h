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

// A loopback port nobody listens on now.
inline int FreePort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    const bool ok = ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
                    ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &size) == 0;
    ::close(s);
    return ok ? ntohs(a.sin_port) : 0;
}

// Whether the kernel lists a listening socket on the port, looked up without connecting,
// which would make the server open its device.
inline bool Listening(int port) {
    char hex[8];
    std::snprintf(hex, sizeof hex, ":%04X", port);
    std::ifstream table("/proc/net/tcp");
    for (std::string line; std::getline(table, line);)
        if (line.find(std::string(hex) + " 00000000:0000 0A") != std::string::npos) return true;
    return false;
}

// Waits a bounded while until the ports listen.
inline bool AwaitListening(const std::vector<int>& ports) {
    for (int i = 0; i < 500; ++i) {
        bool all = true;
        for (int port : ports) all = all && Listening(port);
        if (all) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// The configuration text; the raw line's settings as ser2net writes them ("57600n81").
// Without chardelay the server passes on each character as it comes, rather than a
// couple of character times later, which every acknowledgement would wait for.
inline std::string Config(int telnetPort, int rawPort, const std::string& device, const std::string& rawLine) {
    return "%YAML 1.1\n---\n"
           "connection: &telnet\n  accepter: telnet(rfc2217),tcp,127.0.0.1," + std::to_string(telnetPort) +
           "\n  connector: serialdev," + device + ",9600n81,local\n  options:\n    chardelay: false\n"
           "connection: &raw\n  accepter: tcp,127.0.0.1," + std::to_string(rawPort) +
           "\n  connector: serialdev," + device + "," + rawLine + ",local\n  options:\n    chardelay: false\n";
}

inline std::vector<std::string> Args(const std::string& configPath) { return {"-n", "-u", "-c", configPath}; }

}  // namespace Ser2net
