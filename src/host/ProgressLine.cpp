#include "host/ProgressLine.h"

#include <unistd.h>

#include <cstring>

namespace {
// Often enough to look alive, seldom enough not to flood a slow terminal.
constexpr auto RedrawInterval = std::chrono::milliseconds(200);
// Back to the start of the line and clear it.
constexpr const char* ClearLine = "\r\033[K";
}  // namespace

ProgressLine::ProgressLine(Controls& ui, int fd) : ui_(ui), fd_(fd) {
    if (::isatty(fd_) != 1) return;
    ui_.addListener(this);
    attached_ = true;
}

ProgressLine::~ProgressLine() {
    if (!attached_) return;
    ui_.removeListener(this);
    Erase();
}

void ProgressLine::Abandon() {
    if (!attached_) return;
    ui_.removeListener(this);
    attached_ = false;
}

void ProgressLine::controlChanged(const Control& control, Aspect aspect) {
    // The bar goes back to nought when the upload ends, and the result follows on a
    // line of its own.
    if ((&control == &ui_.ProgressBar1 && aspect == Aspect::Progress && control.value() <= 0) ||
        (&control == &ui_.lblUploadResult && aspect == Aspect::Caption)) {
        Erase();
        return;
    }
    // Only the transfer's figures: the bar stands above nought while it runs.
    if (&control != &ui_.lblUploadStatus || aspect != Aspect::Caption || ui_.ProgressBar1.value() <= 0) return;
    const Clock::time_point now = Clock::now();
    if (shown_ && now - drawnAt_ < RedrawInterval) return;
    shown_ = true;
    drawnAt_ = now;
    Draw(control.caption());
}

void ProgressLine::Draw(const std::string& text) {
    const std::string out = ClearLine + text;
    ssize_t ignored = ::write(fd_, out.data(), out.size());
    (void)ignored;
}

void ProgressLine::Erase() {
    if (!shown_) return;
    shown_ = false;
    ssize_t ignored = ::write(fd_, ClearLine, std::strlen(ClearLine));
    (void)ignored;
}
