// How the built program starts and ends: without a display, with one that cannot be
// opened, with file names that look like options, and when stopped during start-up.
#include <gtest/gtest.h>

#include <filesystem>

#include "UnattendedRun.h"

namespace {

using namespace std::chrono_literals;

constexpr const char* NoDisplay = "";
constexpr const char* StaleDisplay = ":987";  // a display nobody serves

TEST(Startup, ARunWithoutAUsableDisplayEndsAtOnceUnlessTheParserMakesItUnattended) {
    struct Row {
        const char* display;
        Args args;
        int exitCode;
        bool usage;       // on standard output
        const char* err;  // the one line on standard error
        const char* printed = nullptr;  // all of standard output, when given
    };
    const Row rows[] = {
        // Only a lower-case -auto after the file name makes a run unattended.
        {NoDisplay, {"-AUTO", "image.txt"}, 6, false, "needs a display"},
        {NoDisplay, {"-Auto"}, 6, false, "needs a display"},
        {NoDisplay, {"image.txt", "-h"}, 3, true, ""},
        // Unattended: the usage goes into the log, and the result says so.
        {NoDisplay, {"-auto"}, 3, false, "kelvane: No upload: the usage text was shown"},
        {StaleDisplay, {}, 6, false, "cannot open the display \":987\""},
        {StaleDisplay, {"image.txt", "-HELP"}, 3, true, ""},
        {NoDisplay, {"--version"}, 0, false, "", "Kelvane 2.2.0\n"},
    };
    CheckAtOnce(rows, [](const Row& row) {
        SCOPED_TRACE(std::string(row.display) + " " + (row.args.empty() ? "" : row.args.front()));
        UnattendedRun run(row.display);
        Child kelvane(KELVANE_BIN, row.args, run.home.file("err.txt"), -1, run.home.environment());
        const int exitCode = kelvane.wait(30s);
        ASSERT_NE(exitCode, Child::Running) << "kelvane did not end";
        EXPECT_EQ(exitCode, row.exitCode);
        // The usage text itself is the command line's own concern: one of its lines is enough here.
        const std::string out = kelvane.output();
        EXPECT_EQ(has(out, "-noreboot    Cpu remains in IOS mode after upload"), row.usage) << out;
        EXPECT_TRUE(!row.printed || out == row.printed) << out;
        const std::string err = ReadFile(run.home.file("err.txt"));
        if (*row.err) {
            EXPECT_TRUE(has(err, row.err) && err.find('\n') == err.size() - 1) << err;
        } else {
            EXPECT_EQ(err, "");
        }
    });
}

TEST(Startup, UnattendedRunsUploadTheFileNamedFirstWithOrWithoutAUsableDisplay) {
    struct Row {
        const char* display;
        const char* file;  // named like an option's upper-case form
        Args command;
    };
    const Row rows[] = {
        {NoDisplay, "Boot.txt", {"-AUTO"}},
        {NoDisplay, "Setup.txt", {"-auto"}},
        {StaleDisplay, "Output.txt", {"-auto"}},
    };
    CheckAtOnce(rows, [](const Row& row) {
        SCOPED_TRACE(row.file);
        UnattendedRun run(row.display);
        run.imagePath = run.home.file(row.file);
        run.command = row.command;
        run.makeImage({"--size", "3000"});
        run.upload({"--start-in-loader", "--loader-baud", "57600"});
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.received, run.image);
        EXPECT_EQ(run.err.rfind("kelvane: Upload successful: 3000 bytes to Com 1 (", 0), 0u) << run.err;
        // No log was asked for, so none is written (the home is drive C:, where "utput.txt" went):
        // only the upload history is kept.
        for (const auto& entry : std::filesystem::directory_iterator(run.home.home()))
            EXPECT_EQ(entry.path().filename(), ".local");
    });
}

TEST(Startup, AStopWhileAStartUpBoxIsOpenEndsTheRun) {
    UnattendedRun run;
    run.home.set("QT_QPA_PLATFORM", "offscreen");
    // The port the window opens at start-up is missing: its box waits for an OK.
    run.home.set("KELVANE_COM1", run.home.file("no-such-device"));
    Child kelvane(KELVANE_BIN, {}, run.home.file("err.txt"), -1, run.home.environment());
    // The settings are written just before the port is opened; from then on a stop is caught.
    const std::string settings = run.home.config() + "/ZQ Technologies/Utility/Kelvane.ini";
    for (int i = 0; i < 3000 && !std::filesystem::exists(settings); ++i) std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(std::filesystem::exists(settings));
    kelvane.stop();
    EXPECT_EQ(kelvane.wait(30s), 6);
}

}  // namespace
