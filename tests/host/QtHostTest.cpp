#include <gtest/gtest.h>

#include <QMetaObject>
#include <algorithm>
#include <vector>

#include "HostTest.h"

TEST(QtHost, YieldRunsPendingEventsAndSaysSoAndTimersTickWithTheirIdUntilStopped) {
    testApplication();
    QtHost host;
    bool ran = false, insideYield = false;
    QMetaObject::invokeMethod(&host, [&] { ran = true, insideYield = host.yielding(); }, Qt::QueuedConnection);
    host.yield();
    EXPECT_TRUE(ran && insideYield);  // a box raised there must not wait
    EXPECT_FALSE(host.yielding());

    std::vector<TimerId> ticks;
    host.setTimerHandler([&](TimerId id) {
        ticks.push_back(id);
        if (id == TimerId::TimerDelay) host.stopTimer(id);
    });
    host.startTimer(TimerId::TimerDelay, 10);
    host.startTimer(TimerId::Timer1, 20);
    auto count = [&](TimerId id) { return std::count(ticks.begin(), ticks.end(), id); };
    pumpUntil(host, [&] { return count(TimerId::Timer1) >= 3; }, 5000);
    EXPECT_EQ(count(TimerId::TimerDelay), 1);
    EXPECT_EQ(count(TimerId::Timer1), 3);

    // The first exit asked for is the process's, whatever is asked after it.
    host.exit(6);
    host.exit(0);
    EXPECT_EQ(host.exitCode(), 6);
}
