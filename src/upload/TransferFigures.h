#pragma once

#include <cstdint>
#include <string>

// How far an image transfer has come, in the words both the window's status line and
// the unattended progress line use.
namespace TransferFigures {

// Bytes sent of the total after the given milliseconds of sending, with the rate and
// the time left once a rate is known.
std::string Progress(int64_t sent, int64_t total, int64_t elapsedMs);
// A transfer that is complete: its bytes, its time and its mean rate.
std::string Final(int64_t bytes, int64_t elapsedMs);
// Seconds with one decimal ("8.1 s").
std::string Seconds(int64_t ms);

}  // namespace TransferFigures
