#include "host/SignalBridge.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace {
int pipeFds[2] = {-1, -1};
const int Signals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void catchSignal(int signal) {
    const int saved = errno;
    const char byte = static_cast<char>(signal);
    // Only async-signal-safe work here; a full pipe already holds a wake-up.
    [[maybe_unused]] const ssize_t n = ::write(pipeFds[1], &byte, 1);
    errno = saved;
}
}  // namespace

SignalBridge::SignalBridge(std::function<void()> onStop, std::function<void()> onHangUp, QObject* parent)
    : QObject(parent), onStop_(std::move(onStop)), onHangUp_(std::move(onHangUp)) {
    ::signal(SIGPIPE, SIG_IGN);
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
    bool stop = false, hangUp = false;
    for (ssize_t n; (n = ::read(pipeFds[0], bytes, sizeof bytes)) > 0;)
        for (ssize_t i = 0; i < n; ++i) (bytes[i] == SIGHUP && onHangUp_ ? hangUp : stop) = true;
    if (hangUp) onHangUp_();
    if (stop && onStop_) onStop_();
}

#else

SignalBridge::SignalBridge(std::function<void()> onStop, std::function<void()> onHangUp, QObject* parent)
    : QObject(parent), onStop_(std::move(onStop)), onHangUp_(std::move(onHangUp)) {}
SignalBridge::~SignalBridge() = default;
void SignalBridge::readPipe() {}

#endif
