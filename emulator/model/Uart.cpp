#include "emulator/model/Uart.h"

#include <algorithm>

namespace uart {

int64_t charEndUs(int baud, int64_t index) {
    return ((index + 1) * 10 * 1000000 + baud - 1) / baud;
}

std::vector<Received> reframe(const std::string& burst, int senderBaud, int receiverBaud) {
    // One time unit is 1 / (2 * senderBaud * receiverBaud) s: a sender bit, a receiver
    // bit and half a receiver bit are all whole numbers of units.
    const int64_t senderBit = 2LL * receiverBaud;
    const int64_t receiverBit = 2LL * senderBaud;
    const int64_t halfBit = senderBaud;
    const int64_t end = int64_t(burst.size()) * 10 * senderBit;

    auto level = [&](int64_t t) -> int {
        if (t < 0 || t >= end) return 1;  // an idle line is high
        const int64_t bit = t / senderBit;
        const int64_t pos = bit % 10;
        if (pos == 0) return 0;  // start bit
        if (pos == 9) return 1;  // stop bit
        return (static_cast<unsigned char>(burst[size_t(bit / 10)]) >> (pos - 1)) & 1;
    };
    // The first moment at or after `from` where the line has the given level.
    auto next = [&](int64_t from, int wanted) -> int64_t {
        for (int64_t bit = from / senderBit; bit * senderBit < end; ++bit) {
            const int64_t t = std::max(from, bit * senderBit);
            if (level(t) == wanted) return t;
        }
        return wanted == 1 ? std::max(from, end) : -1;
    };
    auto toUs = [&](int64_t t) {
        return int64_t(static_cast<__int128>(t) * 1000000 / (2LL * senderBaud * receiverBaud));
    };

    std::vector<Received> out;
    int64_t cursor = 0;
    for (;;) {
        const int64_t edge = next(cursor, 0);
        if (edge < 0) break;
        if (level(edge + halfBit) != 0) {  // too short for a start bit
            cursor = edge + halfBit;
            continue;
        }
        unsigned value = 0;
        for (int i = 0; i < 8; ++i)
            if (level(edge + halfBit + (i + 1) * receiverBit)) value |= 1u << i;
        const int64_t stopAt = edge + halfBit + 9 * receiverBit;
        out.push_back({toUs(stopAt), static_cast<unsigned char>(value)});
        cursor = level(stopAt) ? stopAt : next(stopAt, 1);
    }
    return out;
}

}  // namespace uart
