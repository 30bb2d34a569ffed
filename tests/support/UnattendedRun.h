#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "Processes.h"
#include "TemporaryHome.h"
#include "TextSearch.h"

using Args = std::vector<std::string>;

// Checks the rows side by side, a few at a time: the runs spend their time in the
// program's waits and no two share a home or a device, but each answer must still come
// within the program's one-second waits, which too many runs on two cores can miss.
constexpr size_t RowsAtOnce = 6;
template <class Rows, class Check>
void CheckAtOnce(const Rows& rows, Check check) {
    std::atomic<size_t> next{0};
    std::vector<std::thread> threads;
    for (size_t i = 0; i < RowsAtOnce; ++i)
        threads.emplace_back([&] {
            for (size_t at; (at = next++) < std::size(rows);) check(rows[at]);
        });
    for (std::thread& t : threads) t.join();
}

// One run in a home of its own and with the display given (none by default): the
// image, the device's switches, and what came of it.
struct UnattendedRun {
    explicit UnattendedRun(const std::string& display = {}) {
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) home.unset(name);
        if (!display.empty()) home.set("DISPLAY", display);
    }
    void makeImage(Args switches) {
        switches.insert(switches.begin(), {"make-image", imagePath});
        Child maker(KELVANE_SIM_BIN, switches);
        const std::string declared = maker.line();
        EXPECT_EQ(maker.wait(std::chrono::seconds(20)), 0);
        image = ReadFile(imagePath);
        // The checksum it prints is the one its header declares.
        if (std::count(switches.begin(), switches.end(), "--all-bytes")) {
            EXPECT_EQ(std::set<char>(image.begin(), image.end()).size(), 256u);
        }
        if (!std::count(switches.begin(), switches.end(), "--no-checksum")) {
            EXPECT_EQ(image.rfind("// ZQ Encoded Image File checksum: " + declared + "\r\n", 0), 0u) << declared;
        }
    }
    // kelvane <image> <command> with the options, against the device; a run still going
    // after `limit` is killed and its code stays Running. The device ends by itself once
    // it has had a whole upload and the line is quiet.
    void upload(Args simSwitches, Args options = {}, int errFd = -1) {
        simSwitches.insert(simSwitches.begin(), {"--trace", "--received", home.file("received.bin"), "--once"});
        if (std::filesystem::exists(imagePath)) simSwitches.insert(simSwitches.end(), {"--expect", imagePath});
        Sim sim(simSwitches, home.file("trace.txt"));
        home.set("KELVANE_COM1", sim.device);
        if (withDevice) withDevice(sim.device);
        options.insert(options.begin(), command.begin(), command.end());
        options.insert(options.begin(), imagePath);
        Child kelvane(KELVANE_BIN, options, home.file("err.txt"), errFd, home.environment());
        if (whileRunning) whileRunning(kelvane);
        exitCode = kelvane.wait(limit);
        if (exitCode != Child::Running) out = kelvane.output();
        const bool whole = std::filesystem::exists(home.file("received.bin"));  // written on the checksum report
        simEndedByItself = whole && sim.wait(std::chrono::seconds(5)) != Child::Running;
        sim.stop();
        simExitCode = sim.wait(std::chrono::seconds(10));
        received = ReadFile(home.file("received.bin"));
        trace = ReadFile(home.file("trace.txt"));
        log = ReadFile(logPath);
        err = ReadFile(home.file("err.txt"));
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

    TemporaryHome home{TemporaryHome::StartedPrograms};
    std::string imagePath = home.file("app.txt"), logPath = home.file("log.txt");
    Args command = {"-auto", "-s1", "-o", logPath};
    std::function<void(const std::string&)> withDevice;  // once the device is up, before the run
    std::function<void(Child&)> whileRunning;            // once the run has started
    std::string image, received, trace, log, err, out;
    int exitCode = Child::Running, simExitCode = Child::Running;
    bool simEndedByItself = false;
    std::chrono::milliseconds limit = std::chrono::seconds(90);
};
