#include "upload/TransferFigures.h"

#include <cstdio>

namespace {

std::string RateText(double bytesPerSecond) {
    char text[32];
    if (bytesPerSecond >= 1000)
        std::snprintf(text, sizeof text, "%.1f kB/s", bytesPerSecond / 1000);
    else
        std::snprintf(text, sizeof text, "%.0f B/s", bytesPerSecond);
    return text;
}

double Rate(int64_t bytes, int64_t ms) { return ms > 0 && bytes > 0 ? double(bytes) * 1000 / double(ms) : 0; }

}  // namespace

namespace TransferFigures {

std::string Progress(int64_t sent, int64_t total, int64_t elapsedMs) {
    std::string line = "Sending image: " + std::to_string(sent) + " of " + std::to_string(total) + " bytes";
    const double rate = Rate(sent, elapsedMs);
    if (rate <= 0) return line + "  -- B/s  --:-- left";
    const long long left = total > sent ? (long long)(double(total - sent) / rate + 0.5) : 0;
    char time[32];
    std::snprintf(time, sizeof time, "  %lld:%02lld left", left / 60, left % 60);
    return line + "  " + RateText(rate) + time;
}

std::string Final(int64_t bytes, int64_t elapsedMs) {
    const double rate = Rate(bytes, elapsedMs);
    return "Sent " + std::to_string(bytes) + " bytes in " + Seconds(elapsedMs) +
           (rate > 0 ? ", " + RateText(rate) + " on average" : std::string());
}

std::string Seconds(int64_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", double(ms < 0 ? 0 : ms) / 1000);
    return text;
}

}  // namespace TransferFigures
