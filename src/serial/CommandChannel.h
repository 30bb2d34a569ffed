#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

class Engine;

// The receive handler and the primitives every dialogue is built from.
class CommandChannel {
public:
    explicit CommandChannel(Engine& k) : k_(k) {}

    // The pane is kept below this many characters by dropping its oldest ones.
    static constexpr size_t PaneLimit = 6000;
    static constexpr size_t PaneTrim = 399;

    void MSComm1_OnComm();
    void SendText(std::string& text);
    void ClearReceiveBuffer();
    void ClearTerminal();
    void MarkTime();
    void WaitForPrompt();
    void Delay(double seconds);
    void TimerDelay_Timer();
    void Timer1_Timer();

    // Seconds on the wait clock (monotonic, never wraps), with fractions.
    double Seconds() const;
    // The timed-wait limit: the clock has passed timerStart + limitSeconds.
    bool TimedOut(int limitSeconds) const;
    // One pass of the event loop.
    void DoEvents();

    // The timed wait every dialogue uses: MarkTime, then test done and the limit,
    // yielding between tests. True when done ended it, false on the limit.
    bool WaitUntil(int limitSeconds, const std::function<bool()>& done);
    // receiveBuffer ends with one of the tails.
    bool BufferEndsWith(std::initializer_list<std::string_view> tails) const;
    // Characters the pane trims have dropped so far; a reader that counts positions in
    // the pane across a trim moves them back by the growth of this figure.
    int64_t TrimmedChars() const { return trimmed_; }

private:
    Engine& k_;
    int64_t trimmed_ = 0;
    bool recoveryRunning_ = false;
};
