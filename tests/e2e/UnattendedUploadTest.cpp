// The built program run unattended against kelvane-sim on a pseudo-terminal: every run
// ends by itself, within the waits of its dialogue, with a code and a log that fit what
// the device received.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <thread>

#include "Pty.h"
#include "UnattendedRun.h"
#include "emulator/sim/Trace.h"
#include "host/QtUploadHistory.h"

namespace {

using namespace std::chrono_literals;

TEST(UnattendedUpload, EachRunEndsInTimeWithTheCodeAndLogThatFitWhatTheDeviceReceived) {
    enum Received { None, Part, Whole };
    const std::string Success = "appExitCode # 0\r\nUpload Successful!";
    const std::string CommFailed = "Error # 6\r\nSerial Communications Error";
    const std::string Mismatch = "Error # 2\r\nChecksum Mismatch";
    const Args Loader57600 = {"--start-in-loader", "--loader-baud", "57600"};
    auto with = [](Args a, const Args& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    struct Row {
        const char* name;
        Args image;  // make-image's switches
        Args sim;
        int exitCode;
        std::vector<std::string> logged, notLogged;  // each logged once
        Received received;
        std::string sentAfterChecksum = {};  // when given
        int seconds = 90;                    // the longest the dialogue's waits allow
        int orExitCode = -1;                 // as true, where a race with the device decides
    };
    const Args image = {"--size", "3000"};
    const Row rows[] = {
        // The loader is set back to the rate it was found at, then restarted.
        {"from the application at 9600", {"--size", "6000"}, {"--app-echo", "--key-on-ey", "--key-on-py"}, 0,
         {"AppCode Upload Started: ", "AppCode Upload Done:", Success}, {}, Whole, "Sy9600\\rb"},
        {"from the loader at 57600, every byte value", {"--size", "3000", "--all-bytes"}, Loader57600, 0,
         {Success}, {}, Whole, "b"},
        {"the device disputes the checksum", image, with(Loader57600, {"--wrong-checksum"}), 2,
         {"Error # 2\r\nChecksum Mismatch\r\nExpected checksum: ", "Upload Aborted"}, {}, Whole},
        {"a silent device", image, {"--silent"}, 6, {CommFailed}, {"Upload Aborted"}, None},
        // When the run opens the port again it is missing or still being torn down (3), or
        // not gone yet (6).
        {"a line that goes away in mid-transfer", {"--size", "6000"}, with(Loader57600, {"--disconnect-after", "3000"}),
         3, {CommFailed}, {"Upload Successful!"}, Part, "", 90, 6},
        // Five rounds of a probe (2.5 s) and "~ios!" (10.5 s for the loader, 0.5 s to
        // settle), then the probe that finds the application again.
        {"an application that never enters its loader", image, {"--app-echo", "--ignore-ios", "--ff-on-restart"},
         6, {"\r\nThe CPU did not enter its loader (IOS) after 5 \"~ios!\"", CommFailed}, {"Upload Aborted"}, None,
         "", 5 * 14 + 3},
        // Two probes, unlock and erase (16 s), three chunks, the wait for ">" (3.5 s).
        {"a checksum report that floods the line", image, with(Loader57600, {"--flood", "2000000"}), 2,
         {Mismatch, "Returned checksum: \r\n", "Upload Aborted"}, {}, Whole, "", 5 + 16 + 9 + 4},
        // The device stops answering at the fourth of five chunks and reports what it
        // has; nothing more of the image may reach its prompt.
        {"no acknowledgement near the end", {"--size", "5026", "--no-checksum"}, with(Loader57600, {"--drop-ack", "3"}),
         6, {CommFailed}, {"Upload Successful!"}, Part, "X", 5 + 16 + 15},
        // Every acknowledgement and prompt read one character at a time, the key
        // exchanges and the move to 57600 too.
        {"answers one character at a time", image, {"--app-echo", "--key-on-ey", "--key-on-py", "--trickle"}, 0,
         {Success}, {}, Whole, "", 75},
        {"a two-step key challenge", image, {"--start-in-loader", "--challenge", "m-then-plain"}, 0, {Success},
         {}, Whole},
        // The first chunk and the abort's prod reach a loader still erasing.
        {"an erase longer than its wait", image, with(Loader57600, {"--erase-ms", "12000"}), 6, {CommFailed}, {},
         None, "", 5 + 16 + 4},
        // The loader's own line moves the acknowledgements from where they belong.
        {"unsolicited text during the transfer", {"--size", "5000"}, with(Loader57600, {"--unsolicited", "0"}),
         6, {CommFailed}, {}, Part, "", 5 + 16 + 7},
        // The adapter unplugged while the report is awaited: no verdict, as for any lost line.
        {"a line lost while the checksum is awaited", image, with(Loader57600, {"--hang-up-before-report"}), 6,
         {CommFailed}, {Mismatch, "Upload Successful!"}, Whole, "", 90, 3},
    };
    CheckAtOnce(rows, [&](const Row& row) {
        SCOPED_TRACE(row.name);
        UnattendedRun run;
        run.makeImage(row.image);
        run.limit = std::chrono::seconds(row.seconds);
        run.upload(row.sim);
        ASSERT_NE(run.exitCode, Child::Running) << "still running after " << row.seconds << " s\n" << run.log;
        EXPECT_TRUE(run.exitCode == row.exitCode || run.exitCode == row.orExitCode) << run.exitCode << "\n" << run.log;
        for (const std::string& text : row.logged) EXPECT_EQ(count(run.log, text), 1u) << text << " in\n" << run.log;
        for (const std::string& text : row.notLogged) EXPECT_FALSE(has(run.log, text)) << text << " in\n" << run.log;
        EXPECT_EQ(run.received.empty() ? None : run.received == run.image ? Whole : Part, row.received)
            << "the device received " << run.received.size() << " of " << run.image.size() << " bytes";
        if (!row.sentAfterChecksum.empty()) {
            EXPECT_EQ(run.sentAfterChecksum(), row.sentAfterChecksum) << run.trace;
        }
        // The device's own verdict, 0 for the file intact under the checksum it reported; once
        // it has had a whole upload it ends by itself.
        EXPECT_EQ(run.simExitCode == 0, row.received == Whole && !std::count(row.sim.begin(), row.sim.end(), "--wrong-checksum")) << run.simExitCode;
        if (run.simExitCode < 2) {
            EXPECT_TRUE(run.simEndedByItself);
        }
        // Standard error is a file here: no progress line in it.
        EXPECT_FALSE(has(run.err, "Sending image: "));
    });
}

TEST(UnattendedUpload, ALogThatCannotBeWrittenOrWouldOverwriteTheImageCostsOneLineAndNothingElse) {
    // The -o name ("" for the image's own) and what the one line on standard error holds.
    const std::pair<std::string, std::string> rows[] = {
        {"/dev/full", "kelvane: the log file /dev/full could not be written: "},
        {"", " is not written: it is the file "},
    };
    CheckAtOnce(rows, [](const auto& row) {
        UnattendedRun run;
        run.makeImage({"--size", "3000"});
        run.command = {"-auto", "-s1", "-o", row.first.empty() ? run.imagePath : row.first};
        run.upload({"--start-in-loader", "--loader-baud", "57600"});
        EXPECT_EQ(run.exitCode, 0) << row.first;  // the upload's own
        EXPECT_EQ(ReadFile(run.imagePath), run.image);
        // Beside the run's own result line.
        EXPECT_TRUE(has(run.err, row.second) && count(run.err, "\n") == 2) << run.err;
    });
}

TEST(UnattendedUpload, AClosedTerminalLeavesTheUploadToFinishAndLogOnceToStandardOutput) {
    UnattendedRun run;
    run.makeImage({"--size", "10000"});
    run.command = {"-auto", "-s1", "-o", "/dev/stdout"};
    // At the line's real pace the image takes seconds; the terminal closes once it is on its way.
    run.whileRunning = [&](Child& kelvane) {
        for (int i = 0; i < 3000 && !has(ReadFile(run.home.file("trace.txt")), "upload mode."); ++i)
            std::this_thread::sleep_for(10ms);
        std::this_thread::sleep_for(500ms);
        kelvane.signal(SIGHUP);
    };
    run.upload({"--start-in-loader", "--loader-baud", "57600", "--pace"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.received, run.image);
    EXPECT_TRUE(count(run.out, "Upload Successful!\r\n") == 1 && count(run.out, "AppCode Upload Done:") == 1) << run.out;
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
    EXPECT_TRUE(has(shown, "Sending image: 0" + of + "  -- B/s  --:-- left")) << shown;
    // Later the rate and the time left, at about the line's 5.76 kB/s.
    EXPECT_TRUE(std::regex_search(shown, std::regex("Sending image: [1-9][0-9]*" + of + "  [4-6]\\.[0-9] kB/s  0:0[0-9] left")))
        << shown;
    // The line is cleared when the transfer ends, and the result follows.
    EXPECT_TRUE(has(shown, "\r\033[Kkelvane: Upload successful: ")) << shown;
}

// The bytes the device wrote, as its trace writes them: "   12.345 cpu  <escaped bytes>" lines.
std::string DeviceBytes(const std::string& trace) {
    std::string bytes;
    std::istringstream lines(trace);
    for (std::string line; std::getline(lines, line);)
        if (const auto at = line.find(" cpu  "); at != std::string::npos) bytes += line.substr(at + 6);
    return bytes;
}

const Args Loader57600 = {"--start-in-loader", "--loader-baud", "57600"};

TEST(UnattendedUpload, RunsSideBySideEachEndWithOneLineAndKeepWholeRecordsWithWhatTheirDeviceSent) {
    struct Row {
        Args sim;
        bool portMissing;
        int exitCode;
        std::string said;  // on standard error and in the log; "@" stands for the port's device
    };
    const Row success = {Loader57600, false, 0, "Upload successful: 3000 bytes to Com 1 (@) in "};
    const std::vector<Row> rows = {
        success, success, success, success, success, success,
        {{"--silent"}, false, 6,
         "No verdict: the CPU did not answer on Com 1 (@) at 9600, 57600, 38400 or 19200 baud."},
        {Loader57600, true, 3, "Port error: Com 1 (@) is not there ("}};
    TemporaryHome state(TemporaryHome::StartedPrograms);
    std::vector<std::unique_ptr<UnattendedRun>> runs;
    std::vector<std::string> devices(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        runs.push_back(std::make_unique<UnattendedRun>());
        UnattendedRun& run = *runs.back();
        run.home.set("XDG_STATE_HOME", state.root());
        run.makeImage({"--size", "3000"});
        run.withDevice = [&run, &devices, &rows, i](const std::string& d) {
            devices[i] = rows[i].portMissing ? run.home.file("gone") : d;
            run.home.set("KELVANE_COM1", devices[i]);
        };
    }
    std::vector<std::thread> threads;
    for (size_t i = 0; i < rows.size(); ++i) threads.emplace_back([&, i] { runs[i]->upload(rows[i].sim); });
    for (std::thread& t : threads) t.join();

    for (size_t i = 0; i < rows.size(); ++i) {
        const UnattendedRun& run = *runs[i];
        EXPECT_EQ(run.exitCode, rows[i].exitCode);
        std::string said = rows[i].said;
        said.replace(said.find('@'), 1, devices[i]);
        ASSERT_EQ(run.err.rfind("kelvane: " + said, 0), 0u) << run.err;
    }
    const QtUploadHistory history(QString::fromStdString(state.root() + "/kelvane"));
    const QList<QJsonObject> records = history.records();
    ASSERT_EQ(size_t(records.size()), rows.size());
    for (const QJsonObject& r : records) {
        const auto at = std::find(devices.begin(), devices.end(), r.value("device").toString().toStdString());
        ASSERT_NE(at, devices.end());
        *at = "(recorded)";  // once
        const UnattendedRun& run = *runs[size_t(at - devices.begin())];
        EXPECT_EQ(r.value("exitCode").toInt(), run.exitCode);
        EXPECT_EQ(Trace::escaped(ReadFile(history.transcriptPath(r).toStdString())), DeviceBytes(run.trace));
    }
}

}  // namespace
