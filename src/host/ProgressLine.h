#pragma once

#include <chrono>
#include <string>

#include "app/Controls.h"

// One updating line on standard error while an unattended upload sends its image: the
// status line's figures (bytes sent of the total, the rate and the time left) as the
// engine words them for the window. It is cleared when the transfer ends or the result
// is told, and writes nothing when standard error is not a terminal, so logs and pipes
// stay clean.
class ProgressLine : public ControlsListener {
public:
    explicit ProgressLine(Controls& ui, int fd = 2);
    ~ProgressLine() override;
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void controlChanged(const Control& control, Aspect aspect) override;
    // The terminal has gone: nothing more is written to it, not even the line's erasure.
    void Abandon();

private:
    using Clock = std::chrono::steady_clock;
    void Draw(const std::string& text);
    void Erase();

    Controls& ui_;
    int fd_;
    bool attached_ = false;
    bool shown_ = false;
    Clock::time_point drawnAt_;
};
