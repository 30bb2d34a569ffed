#include "host/QtHost.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDate>
#include <QEventLoop>
#include <QLocale>
#include <QTime>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

// Long enough that an idle wait costs next to nothing, short enough that a polling
// loop notices its time limit at once.
constexpr int WakeMs = 25;

}  // namespace

QtHost::QtHost(QObject* parent) : QObject(parent) {
    clock_.start();
    wake_.setSingleShot(true);
    connect(&delayTimer_, &QTimer::timeout, this, [this] {
        if (handler_) handler_(TimerId::TimerDelay);
    });
    connect(&recoveryTimer_, &QTimer::timeout, this, [this] {
        if (handler_) handler_(TimerId::Timer1);
    });
}

int64_t QtHost::clockMs() const { return clock_.elapsed(); }

void QtHost::yield() {
    wake_.start(WakeMs);
    ++yieldDepth_;
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    --yieldDepth_;
}

QTimer& QtHost::timer(TimerId id) { return id == TimerId::TimerDelay ? delayTimer_ : recoveryTimer_; }

void QtHost::startTimer(TimerId id, int intervalMs) { timer(id).start(intervalMs); }

void QtHost::stopTimer(TimerId id) { timer(id).stop(); }

void QtHost::setTimerHandler(std::function<void(TimerId)> handler) { handler_ = std::move(handler); }

std::string QtHost::shortTime() const {
    return QLocale::system().toString(QTime::currentTime(), QLocale::ShortFormat).toLatin1().toStdString();
}

std::string QtHost::shortDate() const {
    return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat).toLatin1().toStdString();
}

void QtHost::beep() {
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QApplication::beep();
        return;
    }
#ifdef Q_OS_UNIX
    // Without a window the bell goes to a terminal, never into a log or a pipe.
    if (::isatty(STDERR_FILENO)) std::fputs("\a", stderr);
#endif
}

void QtHost::warn(const std::string& line) {
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

void QtHost::exit(int code) {
    if (!exitCode_) exitCode_ = code;
    // Ends every running event loop; main returns the code when none runs yet.
    QCoreApplication::exit(*exitCode_);
}
