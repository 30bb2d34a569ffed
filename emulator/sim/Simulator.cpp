#include "emulator/sim/Simulator.h"

#include <poll.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "emulator/sim/PtyLine.h"
#include "emulator/sim/Trace.h"

namespace {

// The line settings are read this often at least, since the terminal does not say
// when they change.
constexpr int64_t PollUs = 2000;
// With --once: how long the line must stay quiet after the program let go of it.
constexpr int64_t OnceQuietUs = 2000000;

enum ExitCode { Matched = 0, NotMatched = 1, NoUpload = 2, CannotRun = 3 };

volatile std::sig_atomic_t stopSignal = 0;
void onSignal(int) { stopSignal = 1; }

int64_t clockUs() {
    static const auto start = std::chrono::steady_clock::now();
    return 1 + std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count();
}

bool readFile(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream all;
    all << in.rdbuf();
    bytes = all.str();
    return !in.bad();
}

bool writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    return bool(out);
}

int verdict(const Enclosure& device, const SimOptions& options, const std::string& expected) {
    if (!device.uploadComplete()) {
        std::fprintf(stderr, "kelvane-sim: no complete upload\n");
        return NoUpload;
    }
    const std::string& image = device.receivedImage();
    const bool sumRight = device.reportedChecksum() == Enclosure::checksumOf(image);
    const bool fileRight = options.expectPath.empty() || image == expected;
    std::fprintf(stderr, "kelvane-sim: upload of %zu bytes, reported checksum %s%s%s\n", image.size(),
                 device.reportedChecksum().c_str(), sumRight ? "" : " (not that of the bytes received)",
                 fileRight ? "" : ", bytes differ from the expected file");
    return sumRight && fileRight ? Matched : NotMatched;
}

}  // namespace

int serve(const SimOptions& options) {
    std::string expected;
    if (!options.expectPath.empty() && !readFile(options.expectPath, expected)) {
        std::fprintf(stderr, "kelvane-sim: cannot read %s\n", options.expectPath.c_str());
        return CannotRun;
    }

    // The signals are let through only while the loop waits, so none is missed.
    sigset_t blocked, waiting;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGINT);
    sigaddset(&blocked, SIGTERM);
    sigprocmask(SIG_BLOCK, &blocked, &waiting);
    sigdelset(&waiting, SIGINT);
    sigdelset(&waiting, SIGTERM);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    std::unique_ptr<PtyLine> line;
    try {
        line = std::make_unique<PtyLine>();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kelvane-sim: %s\n", e.what());
        return CannotRun;
    }
    std::printf("%s\n", line->path().c_str());
    std::fflush(stdout);

    Enclosure device(options.model);
    Trace trace(options.trace, stderr);
    int modelBaud = 9600;  // the model's idea of the host's rate, as it starts
    bool hostOpen = false;
    bool reported = false;
    int64_t lastActivity = clockUs();

    auto saveReceived = [&] {
        if (!options.receivedPath.empty() && !writeFile(options.receivedPath, device.receivedImage()))
            std::fprintf(stderr, "kelvane-sim: cannot write %s\n", options.receivedPath.c_str());
    };

    while (!stopSignal) {
        int64_t now = clockUs();
        const int64_t next = device.nextEventUs();
        const int64_t waitUs = std::clamp<int64_t>(next == Enclosure::Never ? PollUs : next - now, 0, PollUs);
        pollfd p{line->fd(), short(POLLIN | (line->pending() ? POLLOUT : 0)), 0};
        const timespec timeout{0, long(waitUs * 1000)};
        ppoll(&p, 1, &timeout, &waiting);
        if (stopSignal) break;

        now = clockUs();
        const int rate = line->hostBaud();  // before the read: the bytes were written at it or before
        const std::string in = line->read();
        if (rate == 0 && hostOpen) {
            hostOpen = false;
            lastActivity = now;
            line->dropUnread();
            trace.note(now, "port closed");
        } else if (rate != 0 && !hostOpen) {
            hostOpen = true;
            lastActivity = now;
            trace.note(now, "port open at " + std::to_string(rate));
        }
        if (!in.empty()) {
            // The terminal does not tell whether bytes were written before or after a
            // rate change that shows now; they are given the rate at which the CPU
            // understands them, as a program that drains its port before a change sends.
            int sendBaud = rate != 0 ? rate : modelBaud;
            if (sendBaud != modelBaud && modelBaud == device.deviceBaud()) sendBaud = modelBaud;
            if (sendBaud != modelBaud) device.setHostBaud(modelBaud = sendBaud, now);
            trace.host(now, in);
            device.fromHost(in, now);
            lastActivity = now;
        }
        if (rate != 0 && rate != modelBaud) {
            device.setHostBaud(modelBaud = rate, now);
            trace.note(now, "port at " + std::to_string(rate));
        }
        const std::string out = device.toHost(now);
        if (!out.empty()) {
            lastActivity = now;
            if (hostOpen) {
                trace.cpu(now, out);
                line->write(out);
            } else {
                trace.note(now, "lost on a closed port: " + Trace::escaped(out));
            }
        }
        line->flush();

        if (!device.lineUp()) {
            trace.note(now, "the line goes away");
            line->hangUp();
            break;
        }
        if (device.uploadComplete() != reported) {
            reported = device.uploadComplete();
            if (reported) saveReceived();
        }
        // A program may wait a while on a report before it answers: the upload is over
        // once it has let go of the line.
        if (options.once && reported && !hostOpen && device.nextEventUs() == Enclosure::Never && !line->pending() &&
            now - lastActivity >= OnceQuietUs)
            break;
    }
    saveReceived();
    line.reset();
    return verdict(device, options, expected);
}
