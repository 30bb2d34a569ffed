#pragma once

#include <grp.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "app/HostError.h"
#include "host/QtHost.h"

// The one application object of this test program, made on first use.
inline QCoreApplication& testApplication() {
    static int argc = 1;
    static char name[] = "host_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
    return *QCoreApplication::instance();
}

// The error number and the host's reason a call fails with, or 0 and nothing.
template <class Call>
std::pair<int, std::string> failureOf(Call&& call) {
    try {
        call();
    } catch (const HostError& e) {
        return {e.number(), e.reason()};
    }
    return {0, {}};
}

template <class Call>
int errorOf(Call&& call) {
    return failureOf(call).first;
}

// Root may do anything: while one of these lives, the process runs as nobody, without
// root's groups, and its saved id lets it become root again afterwards.
struct Unprivileged {
    const bool root = ::geteuid() == 0;
    std::vector<gid_t> groups = std::vector<gid_t>(size_t(std::max(::getgroups(0, nullptr), 0)));
    Unprivileged() {
        if (!root) return;
        if (::getgroups(int(groups.size()), groups.data()) < 0 || ::setgroups(0, nullptr) != 0 ||
            ::setresgid(65534, 65534, 0) != 0 || ::setresuid(65534, 65534, 0) != 0)
            std::abort();
    }
    ~Unprivileged() {
        if (root && (::setresuid(0, 0, 0) != 0 || ::setresgid(0, 0, 0) != 0 ||
                     ::setgroups(groups.size(), groups.data()) != 0))
            std::abort();
    }
};

// Yields until done holds, or a generous bound passes (so a fault fails, not hangs).
template <class Done>
bool pumpUntil(QtHost& host, Done done, int limitMs = 3000) {
    QElapsedTimer guard;
    guard.start();
    while (!done() && guard.elapsed() < limitMs) host.yield();
    return done();
}
