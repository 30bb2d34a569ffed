#pragma once

#include <string>

class Engine;

// The receive handler and the primitives every dialogue is built from.
class CommandChannel {
public:
    explicit CommandChannel(Engine& k) : k_(k) {}

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

private:
    Engine& k_;
};
