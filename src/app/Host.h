#pragma once

#include <cstdint>
#include <functional>
#include <string>

enum class TimerId { TimerDelay, Timer1 };

// Clock, event pump and timers of the host.
class Host {
public:
    virtual ~Host() = default;

    // Monotonic milliseconds; never wraps.
    virtual int64_t clockMs() const = 0;
    // Runs pending events once (input, timers, port notifications). Blocks until an
    // event arrives or a few milliseconds pass, so a polling loop does not spin.
    virtual void yield() = 0;
    // A periodic timer that ticks every intervalMs until stopped; starting a running
    // timer restarts it.
    virtual void startTimer(TimerId id, int intervalMs) = 0;
    virtual void stopTimer(TimerId id) = 0;
    virtual void setTimerHandler(std::function<void(TimerId)> handler) = 0;
    // Local time and date in the system's short formats.
    virtual std::string shortTime() const = 0;
    virtual std::string shortDate() const = 0;
    virtual void beep() = 0;
    // One line for a problem the program has no message of its own for (a log file
    // that could not be written): standard error on the desktop and in scripts alike.
    virtual void warn(const std::string& line) = 0;
    // Ends the process with this exit code once the current event has returned.
    virtual void exit(int code) = 0;
};
