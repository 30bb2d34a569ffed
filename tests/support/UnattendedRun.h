#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <string>
#include <vector>

#include "Processes.h"
#include "TemporaryHome.h"

using Args = std::vector<std::string>;

inline bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// One unattended run in a home of its own and without a display: the image, the
// device's switches, and what came of it.
struct UnattendedRun {
    UnattendedRun() {
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) home.unset(name);
    }
    void makeImage(Args switches) {
        switches.insert(switches.begin(), {"make-image", imagePath});
        EXPECT_EQ(Child(KELVANE_SIM_BIN, switches).wait(std::chrono::seconds(20)), 0);
        image = ReadFile(imagePath);
    }
    // kelvane -auto -s1 -o <log> with the options, against the device; a run still going
    // after `limit` is killed and its code stays Running.
    void upload(Args simSwitches, Args options = {}, int errFd = -1) {
        simSwitches.insert(simSwitches.begin(), {"--trace", "--received", home.file("received.bin")});
        Sim sim(simSwitches, home.file("trace.txt"));
        home.set("KELVANE_COM1", sim.device);
        options.insert(options.begin(), {imagePath, "-auto", "-s1", "-o", logPath});
        exitCode = Child(KELVANE_BIN, options, home.file("err.txt"), errFd).wait(limit);
        sim.stop();
        sim.wait(std::chrono::seconds(10));
        received = ReadFile(home.file("received.bin"));
        trace = ReadFile(home.file("trace.txt"));
        log = ReadFile(logPath);
    }
    // What the host sent after the device reported its checksum, as the trace shows it.
    std::string sentAfterChecksum() const {
        const auto report = trace.find("CHECKSUM:");
        if (report == std::string::npos) return "(no checksum report)";
        std::string sent;
        std::istringstream lines(trace.substr(report));
        for (std::string line; std::getline(lines, line);)
            if (const auto at = line.find(" host "); at != std::string::npos) sent += line.substr(at + 6);
        return sent;
    }

    TemporaryHome home;
    std::string imagePath = home.file("app.txt"), logPath = home.file("log.txt");
    std::string image, received, trace, log;
    int exitCode = Child::Running;
    std::chrono::milliseconds limit = std::chrono::seconds(90);
};
