#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/Host.h"

class MemoryPort;

// The host in virtual time: yield() delivers what the device has sent by now, fires
// due timers and scheduled test actions, and otherwise moves the clock on to the next
// thing that will happen (at most 10 ms at a time), so a ten-second wait runs in
// microseconds of real time.
class VirtualHost : public Host {
public:
    int64_t clockMs() const override { return nowUs_ / 1000; }
    void yield() override;
    void startTimer(TimerId id, int intervalMs) override;
    void stopTimer(TimerId id) override;
    void setTimerHandler(std::function<void(TimerId)> handler) override { timerHandler_ = std::move(handler); }
    std::string shortTime() const override { return "10:11"; }
    std::string shortDate() const override { return "06/12/2026"; }
    void beep() override { ++beeps; }
    void warn(const std::string& line) override { warnings.push_back(line); }
    void exit(int code) override { exitCodes.push_back(code); }

    void attach(MemoryPort* port) { port_ = port; }
    int64_t nowUs() const { return nowUs_; }
    // Moves the clock to an absolute time (tests start mid-second where it matters).
    void setNowUs(int64_t us) { nowUs_ = us; }
    // Runs action inside the first yield at or after the given time.
    void at(int64_t us, std::function<void()> action);
    void after(int64_t us, std::function<void()> action) { at(nowUs_ + us, std::move(action)); }
    // Yields until the clock has passed the given time.
    void runUntil(int64_t us);
    bool timerRunning(TimerId id) const;
    // True while a yield runs its events.
    bool yielding() const { return yieldDepth_ > 0; }

    int beeps = 0;
    std::vector<std::string> warnings;
    std::vector<int> exitCodes;

private:
    struct Timer {
        bool running = false;
        int64_t intervalUs = 0;
        int64_t dueUs = 0;
    };
    int64_t nowUs_ = 36000LL * 1000000;  // ten in the morning
    std::map<TimerId, Timer> timers_;
    std::multimap<int64_t, std::function<void()>> actions_;
    std::function<void(TimerId)> timerHandler_;
    MemoryPort* port_ = nullptr;
    int yieldDepth_ = 0;
};
