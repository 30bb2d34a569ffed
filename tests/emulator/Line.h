#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>

#include "TextSearch.h"
#include "emulator/Enclosure.h"


// A CPU that powers up in its loader at the given rate.
inline EnclosureConfig loaderAt(int baud, EnclosureConfig c = {}) {
    c.startInLoader = true;
    c.loaderBaud = baud;
    return c;
}

// The host's end of a line to the emulated CPU, in virtual time: it jumps from one
// thing the device does to the next, collecting what reaches it. It starts at the
// rate the CPU powers up at.
struct Line {
    explicit Line(EnclosureConfig config = {}) : device(config) {
        setBaud(config.startInLoader ? config.loaderBaud : 9600);
    }
    void setBaud(int baud) { device.setHostBaud(baud, now); }
    void send(const std::string& bytes) { device.fromHost(bytes, now); }
    bool ask(const std::string& bytes, const std::string& tail, int64_t limitUs = 1000000) {
        send(bytes);
        return waitFor(tail, limitUs);
    }
    void run(int64_t us) { waitFor({}, us); }
    std::string take() { return std::exchange(received, {}); }

    // Runs until what arrived ends with tail, at most limitUs; true when it did.
    bool waitFor(const std::string& tail, int64_t limitUs = 5000000) {
        const int64_t end = now + limitUs;
        auto ends = [&] {
            received += device.toHost(now);
            return !tail.empty() && received.size() >= tail.size() &&
                   received.compare(received.size() - tail.size(), tail.size(), tail) == 0;
        };
        while (!ends()) {
            const int64_t next = device.nextEventUs();
            if (next > end) {
                now = end;
                return ends();
            }
            now = std::max(next, now + 1);
        }
        return true;
    }

    Enclosure device;
    int64_t now = 1000000;
    std::string received;
};
