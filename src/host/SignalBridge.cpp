#include "host/SignalBridge.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace {
int pipeFds[2] = {-1, -1};
const int Signals[] = {SIGINT, SIGTERM};

extern "C" void catchSignal(int) {
    const int saved = errno;
    const char byte = 1;
    // Only async-signal-safe work here; a full pipe already holds a wake-up.
    [[maybe_unused]] const ssize_t n = ::write(pipeFds[1], &byte, 1);
    errno = saved;
}
}  // namespace

SignalBridge::SignalBridge(std::function<void()> onSignal, QObject* parent)
    : QObject(parent), onSignal_(std::move(onSignal)) {
    if (pipeFds[0] >= 0 || ::pipe(pipeFds) != 0) return;  // one bridge per process
    for (int fd : pipeFds) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    notifier_ = new QSocketNotifier(pipeFds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &SignalBridge::readPipe);
    struct sigaction action {};
    action.sa_handler = catchSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : Signals) ::sigaction(s, &action, nullptr);
}

SignalBridge::~SignalBridge() {
    if (!notifier_) return;
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int s : Signals) ::sigaction(s, &action, nullptr);
    delete notifier_;
    for (int& fd : pipeFds) {
        ::close(fd);
        fd = -1;
    }
}

void SignalBridge::readPipe() {
    char bytes[64];
    while (::read(pipeFds[0], bytes, sizeof bytes) > 0) {
    }
    if (onSignal_) onSignal_();
}

#else

SignalBridge::SignalBridge(std::function<void()> onSignal, QObject* parent)
    : QObject(parent), onSignal_(std::move(onSignal)) {}
SignalBridge::~SignalBridge() = default;
void SignalBridge::readPipe() {}

#endif
