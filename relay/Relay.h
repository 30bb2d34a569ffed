#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <string>
#include <thread>
#include <vector>

// A serial line between two programs, played by two pseudo-terminal ends: the host's
// (the master of the terminal whose other end the host opens as its port) and the
// device's. Paced, it delivers characters no faster than their sender's rate (10 bits a
// character) and lets the device answer no sooner than a turnaround after the host's
// last character reached it; unpaced, it passes every character on as soon as it is
// read. It mirrors the host's rate onto the device's terminal, as a line would make a
// device at the wrong rate see garbage; or, with ownRates, each side keeps the rate it
// sets and a character is made out as the receiver's UART makes out one sent at the
// sender's rate. A character goes at the rate its sender had when it was written: what
// is already on the line when the rate changes keeps the old one. A pseudo-terminal does
// not tell which came first, so the characters of a burst (read without a pause) in which
// the rate changed are taken at either rate and timed at the faster; mirrored, they go at
// the one they began with.
//
// It times one transfer: from the host's first character of startMarker (or its first
// character at all) through transferChars characters, until the device's ackChars-th
// character after them has arrived (with ackChars 0: the device's last character). In
// the transfer it records each host reaction, from the first device character delivered
// after the host's previous write to the host's next character read.
class Relay {
public:
    struct Options {
        bool paced = false;
        double turnaroundMs = 0;
        std::string startMarker;
        size_t transferChars = 0;
        int ackChars = 0;
        pid_t watch = 0;  // whose CPU time to read at the transfer's start and end
        bool ownRates = false;
    };
    struct Figures {
        bool complete = false;
        double seconds = 0;         // the transfer
        int baud = 0;               // the host's rate during it
        std::vector<double> reactionsMs;
        // From the host's last character written to the device to the device's next
        // character read: the device's own reaction, with the relay's.
        std::vector<double> deviceMs;
        double cpuSeconds = -1;     // of the watched process during the transfer
        int64_t startNs = -1;       // when the transfer started, and the watched process's CPU time then
        double startCpuSeconds = -1;
    };

    Relay(int hostFd, int deviceFd, Options options);
    ~Relay();
    Relay(const Relay&) = delete;
    Relay& operator=(const Relay&) = delete;

    void watch(pid_t pid) { options_.watch = pid; }
    // The host's rate as the line takes it for what the host writes next.
    int hostBaud() const { return up_.settled; }
    void start();
    // Stops the line and returns what it measured.
    Figures stop();

private:
    struct Direction {
        int from, to;
        struct Sent {
            char c;
            int64_t due;  // when its last bit arrives
            int baud;     // its sender's
            int alt;      // the rate it may have gone at instead, or 0
        };
        std::deque<Sent> queue;
        int64_t lineFreeNs = 0;
        std::atomic<int> baud{0};  // the sender's
        size_t burst = 0;          // characters read since the sender last paused
        int burstAlt = 0;          // the rate before the last change, until the next pause
        int64_t lastReadNs = 0;
        std::atomic<int> settled{0};  // the sender's rate for what comes after the pause
        bool blocked = false;  // the far end takes no more for now
    };
    void run();
    bool readSide(Direction& d, bool fromHost, int64_t now);  // false once its far end has gone
    void deliver(Direction& d, bool toHost, int64_t now);
    int64_t wakeAt(const Direction& d) const;
    void checkRates(int64_t now);
    void noteRate(Direction& d, bool fromHost);

    Options options_;
    int hostFd_, deviceFd_;
    Direction up_, down_;  // host to device, device to host
    std::thread thread_;
    std::atomic<bool> stop_{false};

    int64_t hostLastDeliveredNs_ = 0;
    std::string markerTail_;
    enum class Phase { Waiting, Transfer, Acknowledge, Done } phase_ = Phase::Waiting;
    size_t transferred_ = 0;
    int acked_ = 0;
    int64_t startNs_ = 0, endNs_ = 0;
    int64_t ackNs_ = -1;  // first device character since the host's last read
    int64_t lastImageDueNs_ = 0;
    int64_t hostWrittenNs_ = -1;  // when the host's latest characters were written to the device
    double cpuStartS_ = -1;
    Figures figures_;
};

// Seconds on the monotonic clock, and the CPU time of a process and its threads.
int64_t MonotonicNs();
double ProcessCpuSeconds(pid_t pid);
