#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What a UART running at one rate makes of characters sent at another. Both ends use
// 8 data bits, no parity and one stop bit, so a character is 10 bits on the line.
namespace uart {

// Microseconds from the start of a burst until its character `index` (from 0) has
// fully arrived, at the given rate.
int64_t charEndUs(int baud, int64_t index);

struct Received {
    int64_t atUs;  // from the start of the burst, when the stop bit is sampled
    unsigned char byte;
};

// Samples a burst of back-to-back characters sent at senderBaud as a receiver at
// receiverBaud does: it waits for a low level, checks the start bit in its middle,
// then samples eight data bits and the stop bit, one bit time apart. A character
// with a framing error is kept (the receiver's data register holds it); after a
// break the receiver waits for the line to rise again.
std::vector<Received> reframe(const std::string& burst, int senderBaud, int receiverBaud);

}  // namespace uart
