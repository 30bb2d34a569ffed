#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <utility>

// A pseudo-terminal whose master end the test plays; path names the slave.
struct Pty {
    Pty() {
        char name[256];
        if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) return;
        path = name;
        ::fcntl(master, F_SETFD, FD_CLOEXEC);
        ::fcntl(slave, F_SETFD, FD_CLOEXEC);
    }
    ~Pty() { hangUp(); }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;
    void hangUp() {
        for (int* fd : {&master, &slave})
            if (*fd >= 0) ::close(std::exchange(*fd, -1));
    }
    int master = -1, slave = -1;
    std::string path;
};

// What arrives on fd until it ends with tail (without one: until the far end closes)
// or the time is up.
inline std::string ReadUntil(int fd, const std::string& tail, std::chrono::milliseconds limit) {
    std::string got;
    char buffer[4096];
    for (const auto end = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < end;) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 10) <= 0) continue;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) break;
        if (n > 0) got.append(buffer, size_t(n));
        if (!tail.empty() && got.size() >= tail.size() && got.compare(got.size() - tail.size(), tail.size(), tail) == 0)
            break;
    }
    return got;
}
