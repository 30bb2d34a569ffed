// The built program run unattended against kelvane-sim on a pseudo-terminal.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <thread>

#include "Pty.h"
#include "UnattendedRun.h"

namespace {

using namespace std::chrono_literals;

TEST(UnattendedUpload, EachRunEndsWithTheCodeAndLogThatFitWhatTheDeviceReceived) {
    enum Received { None, Part, Whole };
    const std::string Success = "appExitCode # 0\r\nUpload Successful!";
    const std::string CommFailed = "Error # 6\r\nSerial Communications Error";
    struct Row {
        const char* name;
        Args image;        // make-image's switches ...
        std::string text;  // ... or the file's text; neither: no file
        Args sim, options;
        int exitCode;
        std::vector<std::string> logged, notLogged;
        Received received;
        std::string sentAfterChecksum;  // when given
    };
    const Args image = {"--size", "6000"};
    const Row rows[] = {
        // The loader is set back to the rate it was found at, then restarted.
        {"from the application at 9600", image, "", {"--app-echo", "--key-on-ey", "--key-on-py"}, {}, 0,
         {"AppCode Upload Started: ", "AppCode Upload Done:", Success}, {}, Whole, "Sy9600\\rb"},
        {"from the loader at 57600, every byte value", {"--size", "3000", "--all-bytes"}, "",
         {"--start-in-loader", "--loader-baud", "57600"}, {}, 0, {Success}, {}, Whole, "b"},
        {"-b19200 -noreboot", image, "", {"--app-echo"}, {"-b19200", "-noreboot"}, 0, {Success}, {}, Whole,
         "Sy19200\\r"},
        {"the device disputes the checksum", image, "", {"--start-in-loader", "--loader-baud", "57600", "--wrong-checksum"},
         {}, 2, {"Error # 2\r\nChecksum Mismatch\r\nExpected checksum: ", "Upload Aborted"}, {}, Whole, ""},
        {"the command line's checksum is not the file's", image, "", {}, {"-checksum0xdead"}, 1,
         {"Error # 1\r\nCommand line, file supplied checksum mismatch"}, {}, None, ""},
        {"not an image", {}, "// ZQ Encoded Imag\r\nchecksum: 0x1\r\n", {}, {}, 5,
         {"Error # 5\r\nNot a valid Appcode file"}, {}, None, ""},
        {"a missing file", {}, "", {}, {}, 7, {"File Not found"}, {}, None, ""},
        {"a silent device", image, "", {"--silent"}, {}, 6, {CommFailed}, {"Upload Aborted"}, None, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        UnattendedRun run;
        if (!row.image.empty()) run.makeImage(row.image);
        if (!row.text.empty()) WriteFile(run.imagePath, row.text);
        run.upload(row.sim, row.options);
        EXPECT_EQ(run.exitCode, row.exitCode) << run.log;
        for (const std::string& text : row.logged) EXPECT_TRUE(has(run.log, text)) << text << " in\n" << run.log;
        for (const std::string& text : row.notLogged) EXPECT_FALSE(has(run.log, text)) << text << " in\n" << run.log;
        EXPECT_EQ(run.received.empty() ? None : run.received == run.image ? Whole : Part, row.received)
            << "the device received " << run.received.size() << " of " << run.image.size() << " bytes";
        if (!row.sentAfterChecksum.empty()) {
            EXPECT_EQ(run.sentAfterChecksum(), row.sentAfterChecksum) << run.trace;
        }
        // Standard error is a file here: no progress line in it.
        EXPECT_FALSE(has(ReadFile(run.home.file("err.txt")), " bytes"));
    }
}

TEST(UnattendedUpload, ALineThatGoesAwayInMidTransferEndsTheRunWithoutSuccess) {
    UnattendedRun run;
    run.makeImage({"--size", "6000"});
    run.upload({"--start-in-loader", "--loader-baud", "57600", "--disconnect-after", "3000"});
    ASSERT_NE(run.exitCode, Child::Running) << "kelvane did not end";
    EXPECT_LT(run.exitCode, 128) << "kelvane crashed";
    EXPECT_NE(run.exitCode, 0) << run.log;
    EXPECT_TRUE(has(run.log, "Error # ")) << run.log;
}

TEST(UnattendedUpload, AProgressLineIsShownWhenStandardErrorIsATerminal) {
    UnattendedRun run;
    run.makeImage({"--size", "5000"});
    Pty terminal;
    std::string shown;
    std::thread reader([&] { shown = ReadUntil(terminal.master, "", 120s); });
    // At the line's real pace the transfer takes long enough to be redrawn.
    run.upload({"--start-in-loader", "--loader-baud", "57600", "--pace"}, {}, terminal.slave);
    ::close(std::exchange(terminal.slave, -1));
    reader.join();
    EXPECT_EQ(run.exitCode, 0);
    const std::string of = " of " + std::to_string(run.image.size()) + " bytes";
    EXPECT_TRUE(has(shown, "Sending image: 0" + of)) << shown;
    // Later the rate and the time left, at about the line's 5.76 kB/s.
    EXPECT_TRUE(std::regex_search(shown, std::regex("Sending image: [1-9][0-9]*" + of + "  [4-6]\\.[0-9] kB/s  0:0[0-9] left")))
        << shown;
    // The line is cleared when the transfer ends.
    EXPECT_EQ(shown.substr(shown.rfind('\r')), "\r\033[K") << shown;
}

}  // namespace
