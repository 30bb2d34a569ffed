#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMetaObject>
#include <algorithm>
#include <vector>

#include "host/QtHost.h"

// The one application object of this test program, made on first use.
QCoreApplication& testApplication() {
    static int argc = 1;
    static char name[] = "host_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
    return *QCoreApplication::instance();
}

namespace {

TEST(QtHost, YieldRunsPendingEventsAndTimersTickWithTheirIdUntilStopped) {
    testApplication();
    QtHost host;
    bool ran = false;
    QMetaObject::invokeMethod(&host, [&] { ran = true; }, Qt::QueuedConnection);
    host.yield();
    EXPECT_TRUE(ran);

    std::vector<TimerId> ticks;
    host.setTimerHandler([&](TimerId id) {
        ticks.push_back(id);
        if (id == TimerId::TimerDelay) host.stopTimer(id);
    });
    host.startTimer(TimerId::TimerDelay, 10);
    host.startTimer(TimerId::Timer1, 20);
    auto count = [&](TimerId id) { return std::count(ticks.begin(), ticks.end(), id); };
    QElapsedTimer guard;  // a fault fails the test rather than hanging it
    guard.start();
    while (count(TimerId::Timer1) < 3 && guard.elapsed() < 5000) host.yield();
    EXPECT_EQ(count(TimerId::TimerDelay), 1);
    EXPECT_EQ(count(TimerId::Timer1), 3);
}

}  // namespace
