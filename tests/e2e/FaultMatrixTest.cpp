// The built program run unattended against a device that misbehaves: every run ends
// by itself, within the waits of its dialogue, with a verdict that fits what the
// device received.
#include <gtest/gtest.h>

#include "UnattendedRun.h"
#include "app/Text.h"

namespace {

using namespace std::chrono_literals;

TEST(FaultMatrix, EachFaultEndsInTimeWithATrueVerdict) {
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
        Args image, sim, options;
        // The longest the dialogue's waits allow for this run, in seconds.
        int seconds;
        int exitCode;
        std::vector<std::string> logged, notLogged;
        Received received;
        std::string sentAfterChecksum = {};  // when given
        bool checksumInLowerCase = false;
    };
    const Row rows[] = {
        // Five rounds of a probe (2.5 s) and "~ios!" (10.5 s for the loader, 0.5 s to
        // settle), then the probe that finds the application again.
        {"an application that never enters its loader", {"--size", "3000"},
         {"--app-echo", "--ignore-ios", "--ff-on-restart"}, {}, 5 * 14 + 3, 6,
         {"\r\nThe CPU did not enter its loader (IOS) after 5 \"~ios!\"", CommFailed}, {"Upload Aborted"}, None},
        // Two probes, unlock and erase (16 s), three chunks, the wait for ">" (3.5 s).
        {"a checksum report that floods the line", {"--size", "3000"}, with(Loader57600, {"--flood", "2000000"}), {},
         5 + 16 + 9 + 4, 2, {Mismatch, "Returned checksum: \r\n", "Upload Aborted"}, {}, Whole},
        // The device stops answering at the fourth of five chunks and reports what it
        // has; nothing more of the image may reach its prompt.
        {"no acknowledgement near the end", {"--size", "5026", "--no-checksum"}, with(Loader57600, {"--drop-ack", "3"}),
         {}, 5 + 16 + 15, 6, {CommFailed}, {"Upload Successful!"}, Part, "X"},
        {"the command line's checksum in lower case", {"--size", "3000"}, Loader57600, {}, 5 + 16 + 9 + 4 + 12, 0,
         {Success}, {}, Whole, "b", true},
        // Every acknowledgement and prompt read one character at a time, the key
        // exchanges and the move to 57600 too.
        {"answers one character at a time", {"--size", "3000"},
         {"--app-echo", "--key-on-ey", "--key-on-py", "--trickle"}, {}, 75, 0, {Success}, {}, Whole},
        {"a two-step key challenge", {"--size", "3000"}, {"--start-in-loader", "--challenge", "m-then-plain"}, {}, 90,
         0, {Success}, {}, Whole},
        // The first chunk and the abort's prod reach a loader still erasing.
        {"an erase longer than its wait", {"--size", "3000"}, with(Loader57600, {"--erase-ms", "12000"}), {},
         5 + 16 + 4, 6, {CommFailed}, {}, None},
        // The loader's own line moves the acknowledgements from where they belong.
        {"unsolicited text during the transfer", {"--size", "5000"}, with(Loader57600, {"--unsolicited", "0"}), {},
         5 + 16 + 7, 6, {CommFailed}, {}, Part},
        {"a checksum report in lower case", {"--size", "3000"}, with(Loader57600, {"--checksum-line", "lower"}), {},
         5 + 16 + 9 + 4, 2, {Mismatch}, {}, Whole},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        UnattendedRun run;
        run.makeImage(row.image);
        Args options = row.options;
        if (row.checksumInLowerCase) {
            const auto field = run.image.find("checksum: ") + 10;
            const std::string declared = run.image.substr(field, 8);
            ASSERT_NE(Text::lower(declared), declared) << "a checksum without letters";
            options.push_back("-checksum" + Text::lower(declared));
        }
        run.limit = std::chrono::seconds(row.seconds);
        run.upload(row.sim, options);
        ASSERT_NE(run.exitCode, Child::Running) << "still running after " << row.seconds << " s\n" << run.log;
        EXPECT_EQ(run.exitCode, row.exitCode) << run.log;
        for (const std::string& text : row.logged) EXPECT_TRUE(has(run.log, text)) << text << " in\n" << run.log;
        for (const std::string& text : row.notLogged) EXPECT_FALSE(has(run.log, text)) << text << " in\n" << run.log;
        EXPECT_EQ(run.received.empty() ? None : run.received == run.image ? Whole : Part, row.received)
            << "the device received " << run.received.size() << " of " << run.image.size() << " bytes";
        if (!row.sentAfterChecksum.empty()) {
            EXPECT_EQ(run.sentAfterChecksum(), row.sentAfterChecksum);
        }
    }
}

}  // namespace
