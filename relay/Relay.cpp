#include "relay/Relay.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <ctime>

#include "emulator/model/Uart.h"

namespace {

constexpr int64_t Ms = 1000000;
// Characters in the middle of a long burst go in batches this far apart; the last of a
// burst, which is what the far end waits for, goes at its time.
constexpr int64_t BatchNs = 1 * Ms;
constexpr size_t BatchAbove = 16;
// The rates are looked at least this often.
constexpr int64_t RateCheckNs = 1 * Ms;
// The kernel may pass a pseudo-terminal's characters on late, by much more on a busy machine:
// with each side at a rate of its own, a burst ends only after this long without a character.
constexpr int64_t QuietNs = 1000 * Ms;

const std::pair<speed_t, int> Rates[] = {{B1200, 1200},     {B2400, 2400},     {B4800, 4800},    {B9600, 9600},
                                         {B19200, 19200},   {B38400, 38400},   {B57600, 57600},  {B115200, 115200},
                                         {B230400, 230400}, {B460800, 460800}, {B921600, 921600}};

int baudOf(int fd) {
    termios t{};
    if (tcgetattr(fd, &t) != 0) return 0;
    for (const auto& [code, baud] : Rates)
        if (cfgetospeed(&t) == code) return baud;
    return 0;
}

void setBaud(int fd, int baud) {
    termios t{};
    if (tcgetattr(fd, &t) != 0) return;
    speed_t code = B0;
    for (const auto& [c, b] : Rates)
        if (b == baud) code = c;
    cfsetispeed(&t, code);
    cfsetospeed(&t, code);
    tcsetattr(fd, TCSANOW, &t);
}

}  // namespace

int64_t MonotonicNs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}

double ProcessCpuSeconds(pid_t pid) {
    // The scheduler's own count, in nanoseconds, summed over the threads.
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* dir = opendir(tasks.c_str());
    if (!dir) return -1;
    long long total = 0;
    while (const dirent* e = readdir(dir)) {
        if (e->d_name[0] == '.') continue;
        if (FILE* f = std::fopen((tasks + "/" + e->d_name + "/schedstat").c_str(), "r")) {
            long long ns = 0;
            if (std::fscanf(f, "%lld", &ns) == 1) total += ns;
            std::fclose(f);
        }
    }
    closedir(dir);
    return double(total) / 1e9;
}

Relay::Relay(int hostFd, int deviceFd, Options options)
    : options_(std::move(options)), hostFd_(hostFd), deviceFd_(deviceFd) {
    up_.from = hostFd;
    up_.to = deviceFd;
    down_.from = deviceFd;
    down_.to = hostFd;
    for (int fd : {hostFd, deviceFd}) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

Relay::~Relay() {
    if (thread_.joinable()) stop();
}

void Relay::start() { thread_ = std::thread([this] { run(); }); }

Relay::Figures Relay::stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    return figures_;
}

void Relay::checkRates(int64_t now) {
    for (const auto& [d, fromHost] : {std::pair{&up_, true}, {&down_, false}}) {
        noteRate(*d, fromHost);
        // What comes after a pause was written after any change seen so far.
        if (now - d->lastReadNs < (options_.ownRates ? QuietNs : 0)) continue;
        d->burst = 0;
        d->burstAlt = 0;
        d->settled = d->baud.load();
    }
    // Mirrored, the device's terminal takes a new rate once what went before has arrived.
    if (!options_.ownRates && up_.queue.empty() && down_.baud != up_.baud)
        setBaud(deviceFd_, down_.baud = up_.baud.load());
}

void Relay::run() {
    // Wake-ups as exact as the kernel gives them: the line's timing is what is measured.
    prctl(PR_SET_TIMERSLACK, 1UL);
    bool hostOpen = true, deviceOpen = true;
    checkRates(MonotonicNs());
    while (!stop_) {
        int64_t now = MonotonicNs();
        const int64_t wake = std::min({wakeAt(up_), wakeAt(down_), now + RateCheckNs});
        pollfd p[2] = {{hostOpen ? hostFd_ : -1, short(POLLIN | (down_.blocked ? POLLOUT : 0)), 0},
                       {deviceOpen ? deviceFd_ : -1, short(POLLIN | (up_.blocked ? POLLOUT : 0)), 0}};
        const int64_t waitNs = std::max<int64_t>(0, wake - now);
        const timespec timeout{time_t(waitNs / 1000000000), long(waitNs % 1000000000)};
        ppoll(p, 2, &timeout, nullptr);
        now = MonotonicNs();
        if (p[0].revents & POLLOUT) down_.blocked = false;
        if (p[1].revents & POLLOUT) up_.blocked = false;
        // A side whose far end has gone is left alone; the other goes on.
        if (p[0].revents & (POLLIN | POLLHUP | POLLERR)) hostOpen = readSide(up_, true, now);
        if (p[1].revents & (POLLIN | POLLHUP | POLLERR)) deviceOpen = readSide(down_, false, now);
        checkRates(MonotonicNs());
        deliver(up_, false, MonotonicNs());
        deliver(down_, true, MonotonicNs());
    }
    if (phase_ == Phase::Done || (options_.ackChars == 0 && phase_ == Phase::Transfer && endNs_ > startNs_)) {
        figures_.complete = true;
        figures_.seconds = double(endNs_ - startNs_) / 1e9;
    }
}

void Relay::noteRate(Direction& d, bool fromHost) {
    const int rate = fromHost ? baudOf(hostFd_) : options_.ownRates ? baudOf(deviceFd_) : d.baud.load();
    if (rate == d.baud) return;
    // The burst so far may have gone at the new rate: it is taken at either, and timed at
    // the faster.
    const size_t from = d.queue.size() - std::min(d.burst, d.queue.size());
    if (from < d.queue.size() && options_.paced && rate > d.baud) {
        const Direction::Sent& first = d.queue[from];
        int64_t end = first.due - (first.baud > 0 ? int64_t(1e10 / first.baud) : 0);
        for (size_t i = from; i < d.queue.size(); ++i) d.queue[i].due = end += int64_t(1e10 / rate);
        d.lineFreeNs = end;
    }
    for (size_t i = from; i < d.queue.size(); ++i)
        if (!d.queue[i].alt) d.queue[i].alt = rate;
    // And what follows soon may have been written before it.
    d.burstAlt = d.baud.load();
    d.lastReadNs = MonotonicNs();
    d.baud = rate;
}

int64_t Relay::wakeAt(const Direction& d) const {
    if (d.queue.empty() || d.blocked) return INT64_MAX;
    if (!options_.paced) return 0;
    const int64_t head = d.queue.front().due;
    if (d.queue.size() <= BatchAbove) return head;
    return std::min(head + BatchNs, d.queue.back().due);
}

bool Relay::readSide(Direction& d, bool fromHost, int64_t now) {
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(d.from, buffer, sizeof buffer);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) return true;
        if (n <= 0) return false;
        d.lastReadNs = now;
        if (!fromHost && phase_ != Phase::Waiting && hostWrittenNs_ >= 0) {
            figures_.deviceMs.push_back(double(now - hostWrittenNs_) / 1e6);
            hostWrittenNs_ = -1;
        }
        if (fromHost && phase_ == Phase::Transfer && ackNs_ >= 0) {
            figures_.reactionsMs.push_back(double(now - ackNs_) / 1e6);
            ackNs_ = -1;
        }
        const int baud = d.baud, fastest = std::max(baud, d.burstAlt);  // a burst in doubt goes at the faster
        const bool paced = options_.paced && baud > 0;
        const int64_t charTime = paced ? int64_t(1e10 / fastest) : 0;
        for (ssize_t i = 0; i < n; ++i) {
            int64_t begin = std::max(now, d.lineFreeNs);
            if (paced && !fromHost) begin = std::max(begin, hostLastDeliveredNs_ + int64_t(options_.turnaroundMs * Ms));
            const int64_t due = begin + charTime;
            if (paced) d.lineFreeNs = due;
            d.queue.push_back({buffer[i], due, baud, d.burstAlt});
            if (!fromHost) continue;

            // The transfer's timing, in the line's time.
            if (phase_ == Phase::Waiting) {
                const std::string& marker = options_.startMarker;
                bool begins = marker.empty();
                if (!begins) {
                    markerTail_ += buffer[i];
                    if (markerTail_.size() > marker.size()) markerTail_.erase(0, 1);
                    begins = markerTail_ == marker;
                }
                if (begins) {
                    phase_ = Phase::Transfer;
                    const size_t back = marker.empty() ? 0 : marker.size() - 1;
                    startNs_ = begin - int64_t(back) * charTime;
                    transferred_ = back;
                    figures_.baud = baud;
                    if (options_.watch > 0) cpuStartS_ = ProcessCpuSeconds(options_.watch);
                    figures_.startNs = startNs_;
                    figures_.startCpuSeconds = cpuStartS_;
                }
            }
            if (phase_ == Phase::Transfer && options_.ackChars > 0 && ++transferred_ == options_.transferChars) {
                phase_ = Phase::Acknowledge;
                lastImageDueNs_ = due;
            }
        }
        d.burst += size_t(n);
        noteRate(d, fromHost);
    }
}

void Relay::deliver(Direction& d, bool toHost, int64_t now) {
    // The characters due, as the receiver makes them out; one write for those of one rate.
    const int receiver = toHost ? up_.baud : down_.baud;
    std::string out;
    std::vector<size_t> ends;  // where each character's bytes end in out
    for (const Direction::Sent& s : d.queue) {
        if ((options_.paced && s.due > now) || s.baud != d.queue.front().baud) break;
        if (!options_.ownRates || s.baud == receiver || s.alt == receiver) out += s.c;
        else if (s.baud > 0 && receiver > 0)
            for (const uart::Received& r : uart::reframe(std::string(1, s.c), s.baud, receiver)) out += char(r.byte);
        ends.push_back(out.size());
    }
    if (ends.empty()) return;
    if (!options_.ownRates && !toHost && d.queue.front().baud != down_.baud)
        setBaud(deviceFd_, down_.baud = d.queue.front().baud);
    const ssize_t n = out.empty() ? 0 : ::write(d.to, out.data(), out.size());
    d.blocked = n < ssize_t(out.size());
    if (n < 0) return;
    // A garbled character cut by a short write loses the rest of its bytes.
    size_t done = 0;
    for (size_t start = 0; done < ends.size(); start = ends[done++])
        if (start >= size_t(n) && ends[done] != start) break;
    for (size_t i = 0; i < done; ++i) {
        const int64_t due = d.queue.front().due;
        d.queue.pop_front();
        if (!toHost) {
            if (d.queue.empty()) hostWrittenNs_ = now;
            hostLastDeliveredNs_ = std::max(hostLastDeliveredNs_, options_.paced ? due : now);
            continue;
        }
        // Only what the device sends after the host's latest character has reached it
        // answers that character.
        const int64_t sent = options_.paced ? due : now;
        if (sent <= hostLastDeliveredNs_) continue;
        if (phase_ == Phase::Transfer) {
            // An answer the host is waiting for: nothing of its own is on the way.
            if (ackNs_ < 0 && up_.queue.empty()) ackNs_ = now;
            if (options_.ackChars == 0) endNs_ = now;
        } else if (phase_ == Phase::Acknowledge && sent > lastImageDueNs_ && ++acked_ == options_.ackChars) {
            phase_ = Phase::Done;
            endNs_ = now;
            if (options_.watch > 0 && cpuStartS_ >= 0)
                figures_.cpuSeconds = ProcessCpuSeconds(options_.watch) - cpuStartS_;
        }
    }
}
