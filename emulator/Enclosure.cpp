#include "emulator/Enclosure.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <map>

#include "emulator/model/Cpu.h"
#include "emulator/model/Uart.h"

namespace {

// What a device with a broken line driver sends instead of its texts: high bytes and
// control characters, never a prompt character, an acknowledgement or the reset glitch.
const unsigned char GarbageBytes[] = {0x00, 0x80, 0xF8, 0x1C, 0xE0, 0x9E, 0xFC, 0x86, 0xC0, 0x07};
// A noisier line: garbage that holds the dialogue's own characters.
const unsigned char ProtocolGarbageBytes[] = {'X', 0xAE, '.', 0x1C, 'x', 0xFF, '>', '.', 0x80, 'X', 0xAE, '>', 0x00};

// One character at a time: each leaves this long after the one before.
constexpr int64_t TrickleGapUs = 3000;

struct LineByte {
    int64_t atUs;
    unsigned char byte;
};

struct Answer {
    std::string bytes;
    int baud;
};

}  // namespace

struct Enclosure::Impl {
    explicit Impl(const EnclosureConfig& c)
        : config(c), cpu(c, [this](int64_t at, const std::string& bytes, int baud) { answer(at, bytes, baud); }) {}

    void answer(int64_t atUs, std::string bytes, int baud) {
        if (!up || config.silent) return;
        if (config.protocolGarbage)
            for (char& c : bytes) c = char(ProtocolGarbageBytes[garbageIndex++ % sizeof ProtocolGarbageBytes]);
        else if (config.garbage)
            for (char& c : bytes) c = char(GarbageBytes[garbageIndex++ % sizeof GarbageBytes]);
        waiting.emplace(atUs, Answer{std::move(bytes), baud});
    }

    int64_t answerStartUs() const { return waiting.empty() ? Never : std::max(waiting.begin()->first, txFreeUs); }

    // Runs the device and both directions of the line up to nowUs, in time order.
    void advance(int64_t toUs) {
        for (;;) {
            const int64_t timer = cpu.timerUs();
            const int64_t in = inbound.empty() ? Never : inbound.front().atUs;
            const int64_t start = answerStartUs();
            const int64_t out = outbound.empty() ? Never : outbound.front().atUs;
            const int64_t first = std::min({timer, in, start, out});
            if (first > toUs) break;
            if (timer == first) {
                if (config.hangUpBeforeReport && cpu.summing()) goDown();
                cpu.tick(first);
            } else if (in == first) {
                const LineByte b = inbound.front();
                inbound.pop_front();
                arrive(b);
            } else if (start == first) {
                putOnLine(first);
            } else {
                delivered.push_back(char(outbound.front().byte));
                outbound.pop_front();
            }
        }
        nowUs = std::max(nowUs, toUs);
    }

    void arrive(const LineByte& b) {
        const int64_t limit = config.disconnectAfterBytes;
        if (limit < 0 || arrived < limit) cpu.receive(b.byte, b.atUs);
        if (limit >= 0 && ++arrived >= limit) goDown();
    }

    void goDown() {
        up = false;
        inbound.clear();
        waiting.clear();
        outbound.clear();
    }

    // An answer starts to leave the device: it reaches the host at the host's rate,
    // or as what the host's UART makes of it at another rate.
    void putOnLine(int64_t atUs) {
        const Answer a = std::move(waiting.begin()->second);
        waiting.erase(waiting.begin());
        const int64_t n = int64_t(a.bytes.size());
        const int64_t gap = config.trickle ? TrickleGapUs : 0;
        txFreeUs = atUs + (config.pace ? uart::charEndUs(a.baud, n - 1) : 0) + n * gap;
        if (hostBaud <= 0) return;
        int64_t last = outbound.empty() ? atUs : outbound.back().atUs;
        auto push = [&](int64_t at, unsigned char byte) {
            last = std::max(last, at);
            outbound.push_back({last, byte});
        };
        if (a.baud == hostBaud) {
            for (int64_t i = 0; i < n; ++i)
                push(atUs + (config.pace ? uart::charEndUs(a.baud, i) : 0) + i * gap,
                     static_cast<unsigned char>(a.bytes[i]));
        } else {
            int64_t i = 0;
            for (const auto& r : uart::reframe(a.bytes, a.baud, hostBaud))
                push(atUs + (config.pace ? r.atUs : 0) + i++ * gap, r.byte);
        }
    }

    void send(const std::string& bytes, int64_t atUs) {
        if (!up || bytes.empty() || hostBaud <= 0) return;
        const int deviceBaud = cpu.baud();
        const int64_t start = config.pace ? std::max(atUs, rxFreeUs) : atUs;
        if (config.pace) rxFreeUs = start + uart::charEndUs(hostBaud, int64_t(bytes.size()) - 1);
        if (hostBaud == deviceBaud) {
            for (size_t i = 0; i < bytes.size(); ++i)
                inbound.push_back({config.pace ? start + uart::charEndUs(hostBaud, int64_t(i)) : atUs,
                                   static_cast<unsigned char>(bytes[i])});
        } else {
            for (const auto& r : uart::reframe(bytes, hostBaud, deviceBaud))
                inbound.push_back({config.pace ? start + r.atUs : atUs, r.byte});
        }
    }

    EnclosureConfig config;
    Cpu cpu;
    bool up = true;
    int hostBaud = 9600;
    int64_t nowUs = 0;
    int64_t arrived = 0;
    size_t garbageIndex = 0;
    std::string hostBytes;
    std::string delivered;  // reached the host, not yet taken
    // Host to device: bytes on their way, in arrival order.
    std::deque<LineByte> inbound;
    int64_t rxFreeUs = 0;
    // Device to host: answers waiting for the line, then bytes on their way.
    std::multimap<int64_t, Answer> waiting;
    std::deque<LineByte> outbound;
    int64_t txFreeUs = 0;
};

Enclosure::Enclosure(EnclosureConfig config) : d(std::make_unique<Impl>(config)) {}
Enclosure::~Enclosure() = default;

void Enclosure::setHostBaud(int baud, int64_t nowUs) {
    d->advance(nowUs);
    d->hostBaud = baud;
}

void Enclosure::fromHost(const std::string& bytes, int64_t nowUs) {
    d->advance(nowUs);
    d->hostBytes += bytes;
    d->send(bytes, nowUs);
    d->advance(nowUs);
}

std::string Enclosure::toHost(int64_t nowUs) {
    d->advance(nowUs);
    std::string out;
    out.swap(d->delivered);
    return out;
}

int64_t Enclosure::nextEventUs() const {
    if (!d->delivered.empty()) return d->nowUs;
    int64_t next = std::min(d->cpu.timerUs(), d->answerStartUs());
    if (!d->inbound.empty()) next = std::min(next, d->inbound.front().atUs);
    if (!d->outbound.empty()) next = std::min(next, d->outbound.front().atUs);
    return next;
}

bool Enclosure::lineUp() const { return d->up; }
const std::string& Enclosure::receivedImage() const { return d->cpu.image(); }
bool Enclosure::uploadComplete() const { return d->cpu.uploadComplete(); }
std::string Enclosure::reportedChecksum() const { return d->cpu.reportedChecksum(); }
const std::string& Enclosure::hostBytes() const { return d->hostBytes; }
int Enclosure::deviceBaud() const { return d->cpu.baud(); }
bool Enclosure::inLoader() const { return d->cpu.inLoader(); }

std::string Enclosure::checksumOf(const std::string& image) {
    // The header line carries the declared checksum, so it cannot be covered by it.
    size_t start = image.find_first_of("\r\n");
    if (start == std::string::npos) {
        start = image.size();
    } else {
        start += image.compare(start, 2, "\r\n") == 0 ? 2 : 1;
    }
    uLong crc = crc32(0L, Z_NULL, 0);
    const auto* bytes = reinterpret_cast<const Bytef*>(image.data()) + start;
    for (size_t left = image.size() - start; left > 0;) {
        const uInt n = uInt(std::min<size_t>(left, 1u << 30));
        crc = crc32(crc, bytes, n);
        bytes += n;
        left -= n;
    }
    char text[9];
    std::snprintf(text, sizeof text, "%08lX", static_cast<unsigned long>(crc));
    return text;
}
