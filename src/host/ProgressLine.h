#pragma once

#include <chrono>
#include <string>

#include "app/Controls.h"

// One updating line on standard error while an unattended upload sends its image:
// bytes sent of the total, the rate and the time left. It follows the progress bar
// of the controls model and writes nothing when standard error is not a terminal,
// so logs and pipes stay clean.
class ProgressLine : public ControlsListener {
public:
    explicit ProgressLine(Controls& ui, int fd = 2);
    ~ProgressLine() override;
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // The line's text for bytes sent of total after the given seconds of sending.
    static std::string Format(long long sent, long long total, double seconds);

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
    Clock::time_point firstAt_;
    Clock::time_point drawnAt_;
};
