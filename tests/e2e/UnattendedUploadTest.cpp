#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <regex>
#include <sstream>
#include <thread>

#include "Processes.h"

namespace {

using namespace std::chrono_literals;

const std::string SuccessLog = "appExitCode # 0\r\nUpload Successful!";
const std::string CommFailedLog = "Error # 6\r\nSerial Communications Error";

// One unattended run against the emulated enclosure: the image, the device's
// switches, and what came of it.
struct UnattendedUpload : ::testing::Test {
    TempFolder folder;
    std::string image;
    std::string imagePath = folder.file("app.txt");
    std::string logPath = folder.file("log.txt");
    KelvaneRun run;
    std::string received;
    std::string trace;

    void makeImage(std::vector<std::string> switches) { image = MakeImage(folder, "app.txt", std::move(switches)); }

    // Runs kelvane with -auto, -s1 and -o plus the given options.
    void upload(std::vector<std::string> simSwitches, std::vector<std::string> options = {}) {
        Sim sim(folder, std::move(simSwitches));
        std::vector<std::string> args = {imagePath, "-auto", "-s1", "-o", logPath};
        args.insert(args.end(), options.begin(), options.end());
        run = RunKelvane(folder, sim.device(), args);
        sim.stop();
        received = sim.received();
        trace = sim.trace();
    }

    // What the host sent after the device reported its checksum, as the trace shows it.
    std::string sentAfterChecksum() const {
        std::string sent;
        const auto report = trace.find("CHECKSUM:");
        if (report == std::string::npos) return "(no checksum report)";
        std::istringstream lines(trace.substr(report));
        for (std::string line; std::getline(lines, line);) {
            const auto at = line.find(" host ");
            if (at != std::string::npos) sent += line.substr(at + 6);
        }
        return sent;
    }

    std::string log() const { return ReadFile(logPath); }
    bool logHas(const std::string& text) const { return log().find(text) != std::string::npos; }
};

TEST_F(UnattendedUpload, FromTheApplicationAt9600TheImageArrivesWhole) {
    makeImage({"--size", "6000"});
    upload({"--app-echo", "--key-on-ey", "--key-on-py"});
    EXPECT_EQ(run.exitCode, 0) << log();
    // The loader is set back to the rate it was found at, then restarted.
    EXPECT_EQ(sentAfterChecksum(), "Sy9600\\rb") << trace;
    EXPECT_TRUE(logHas(SuccessLog)) << log();
    EXPECT_TRUE(logHas("AppCode Upload Started: ")) << log();
    EXPECT_TRUE(logHas("AppCode Upload Done:")) << log();
    EXPECT_TRUE(received == image) << "the device received " << received.size() << " of " << image.size()
                                   << " bytes, or other bytes";
}

TEST_F(UnattendedUpload, FromTheLoaderAt57600EveryByteValueArrivesAsItWas) {
    makeImage({"--size", "3000", "--all-bytes"});
    upload({"--start-in-loader", "--loader-baud", "57600"});
    EXPECT_EQ(run.exitCode, 0) << log();
    EXPECT_TRUE(logHas(SuccessLog)) << log();
    EXPECT_TRUE(received == image) << "received " << received.size() << " of " << image.size() << " bytes";
    EXPECT_EQ(sentAfterChecksum(), "b") << trace;
    // Standard error is a file here: no progress line in it.
    EXPECT_EQ(run.err.find(" bytes"), std::string::npos) << run.err;
}

TEST_F(UnattendedUpload, ARateGivenWithBIsRestoredAndNoRebootLeavesTheCpuInItsLoader) {
    makeImage({"--size", "2000"});
    upload({"--app-echo"}, {"-b19200", "-noreboot"});
    EXPECT_EQ(run.exitCode, 0) << log();
    EXPECT_EQ(sentAfterChecksum(), "Sy19200\\r") << trace;
}

TEST_F(UnattendedUpload, AChecksumTheDeviceDisputesEndsWithCode2) {
    makeImage({"--size", "2000"});
    upload({"--start-in-loader", "--loader-baud", "57600", "--wrong-checksum"});
    EXPECT_EQ(run.exitCode, 2) << log();
    EXPECT_TRUE(logHas("Error # 2\r\nChecksum Mismatch\r\nExpected checksum: ")) << log();
    EXPECT_TRUE(logHas("Upload Aborted")) << log();
}

TEST_F(UnattendedUpload, ACommandLineChecksumOtherThanTheFilesEndsWithCode1BeforeAnythingIsSent) {
    makeImage({"--size", "2000"});
    upload({}, {"-checksum0xdead"});
    EXPECT_EQ(run.exitCode, 1) << log();
    EXPECT_TRUE(logHas("Error # 1\r\nCommand line, file supplied checksum mismatch")) << log();
    EXPECT_TRUE(received.empty());
}

TEST_F(UnattendedUpload, AFileThatIsNotAnImageEndsWithCode5) {
    WriteFile(imagePath, "// ZQ Encoded Imag\r\nchecksum: 0x1\r\n");
    upload({});
    EXPECT_EQ(run.exitCode, 5) << log();
    EXPECT_TRUE(logHas("Error # 5\r\nNot a valid Appcode file")) << log();
}

TEST_F(UnattendedUpload, AMissingFileEndsWithCode7) {
    upload({});
    EXPECT_EQ(run.exitCode, 7) << log();
    EXPECT_TRUE(logHas("File Not found")) << log();
}

TEST_F(UnattendedUpload, ASilentDeviceIsGivenUpWithTheStartCode) {
    makeImage({"--size", "2000"});
    upload({"--silent"});
    EXPECT_EQ(run.exitCode, 6) << log();
    EXPECT_TRUE(logHas(CommFailedLog)) << log();
    EXPECT_FALSE(logHas("Upload Aborted")) << log();
}

TEST_F(UnattendedUpload, AnAcknowledgementLostInMidImageFailsTheLine) {
    makeImage({"--size", "6000"});
    upload({"--start-in-loader", "--loader-baud", "57600", "--drop-ack", "2"});
    EXPECT_EQ(run.exitCode, 6) << log();
    EXPECT_TRUE(logHas(CommFailedLog)) << log();
    EXPECT_LT(received.size(), image.size());
}

TEST_F(UnattendedUpload, ALineThatGoesAwayInMidTransferEndsTheRunWithoutSuccess) {
    makeImage({"--size", "6000"});
    upload({"--start-in-loader", "--loader-baud", "57600", "--disconnect-after", "3000"});
    ASSERT_NE(run.exitCode, -1) << "kelvane did not end";
    EXPECT_LT(run.exitCode, 128) << "kelvane crashed";
    EXPECT_NE(run.exitCode, 0) << log();
    EXPECT_TRUE(logHas("Error # ")) << log();
}

TEST_F(UnattendedUpload, HelpAndAutoAloneShowTheUsageAndEndWithCode3) {
    const KelvaneRun help = RunKelvane(folder, {}, {"-h"}, 30s);
    EXPECT_EQ(help.exitCode, 3);
    EXPECT_NE(help.out.find("-noreboot    Cpu remains in IOS mode after upload"), std::string::npos) << help.out;

    const KelvaneRun autoAlone = RunKelvane(folder, {}, {"-auto"}, 30s);
    EXPECT_EQ(autoAlone.exitCode, 3);
}

// The progress line on a terminal while the image goes out.
TEST_F(UnattendedUpload, AProgressLineIsShownWhenStandardErrorIsATerminal) {
    makeImage({"--size", "5000"});
    // At the line's real pace the transfer takes long enough to be redrawn.
    Sim sim(folder, {"--start-in-loader", "--loader-baud", "57600", "--pace"});
    int master = -1, slave = -1;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    std::string shown;
    std::thread reader([&] {
        char buf[512];
        for (ssize_t n; (n = ::read(master, buf, sizeof buf)) > 0;) shown.append(buf, size_t(n));
    });
    run = RunKelvane(folder, sim.device(), {imagePath, "-auto", "-s1"}, 90s, slave);
    ::close(slave);
    reader.join();
    ::close(master);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(shown.find("Sending image: 0 of " + std::to_string(image.size()) + " bytes"), std::string::npos)
        << shown;
    // Later the rate and the time left, at about the line's 5.76 kB/s.
    EXPECT_TRUE(std::regex_search(shown, std::regex("Sending image: [1-9][0-9]* of " + std::to_string(image.size()) +
                                                    " bytes  [4-6]\\.[0-9] kB/s  0:0[0-9] left")))
        << shown;
    // The line is cleared when the transfer ends.
    EXPECT_EQ(shown.substr(shown.rfind('\r')), "\r\033[K") << shown;
}

}  // namespace
