#include "host/ProgressLine.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
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

std::string ProgressLine::Format(long long sent, long long total, double seconds) {
    char line[160];
    const double rate = seconds > 0 && sent > 0 ? double(sent) / seconds : 0;
    int n = std::snprintf(line, sizeof line, "Sending image: %lld of %lld bytes", sent, total);
    if (rate <= 0) {
        std::snprintf(line + n, sizeof line - size_t(n), "  -- B/s  --:-- left");
        return line;
    }
    if (rate >= 1000)
        n += std::snprintf(line + n, sizeof line - size_t(n), "  %.1f kB/s", rate / 1000);
    else
        n += std::snprintf(line + n, sizeof line - size_t(n), "  %.0f B/s", rate);
    const long long left = total > sent ? (long long)(double(total - sent) / rate + 0.5) : 0;
    std::snprintf(line + n, sizeof line - size_t(n), "  %lld:%02lld left", left / 60, left % 60);
    return line;
}

void ProgressLine::controlChanged(const Control& control, Aspect aspect) {
    if (&control != &ui_.ProgressBar1 || aspect != Aspect::Progress) return;
    const int value = control.value();
    if (value <= 0) {
        // The bar goes back to nought when the upload ends, however it ended; the
        // result is the log's to tell.
        Erase();
        return;
    }
    // The bar stands at the first byte of the chunk just sent.
    const long long total = control.maximum();
    const long long sent = std::min<long long>(value - 1, total);
    const Clock::time_point now = Clock::now();
    if (!shown_) {
        shown_ = true;
        firstAt_ = now;
    } else if (now - drawnAt_ < RedrawInterval) {
        return;
    }
    drawnAt_ = now;
    const double seconds = std::chrono::duration<double>(now - firstAt_).count();
    Draw(Format(sent, total, seconds));
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
