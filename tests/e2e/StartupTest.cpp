// How the built program starts and ends: without a display, with one that cannot be
// opened, with file names that look like options, and when stopped during start-up.
#include <gtest/gtest.h>

#include <filesystem>

#include "Processes.h"
#include "TemporaryHome.h"

namespace {

using namespace std::chrono_literals;
using Args = std::vector<std::string>;

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

constexpr const char* UsageLine = "-noreboot    Cpu remains in IOS mode after upload";
constexpr const char* NoDisplay = "";
constexpr const char* StaleDisplay = ":987";  // a display nobody serves

// A home of its own, no platform chosen, and the display the row asks for.
struct Start {
    explicit Start(const char* display) {
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) home.unset(name);
        if (*display) home.set("DISPLAY", display);
    }
    TemporaryHome home;
    std::string err() const { return ReadFile(home.file("err.txt")); }
};

TEST(Startup, ARunWithoutAUsableDisplayEndsAtOnceUnlessTheParserMakesItUnattended) {
    struct Row {
        const char* display;
        Args args;
        int exitCode;
        bool usage;       // on standard output
        const char* err;  // the one line on standard error
    };
    const Row rows[] = {
        // Only a lower-case -auto after the file name makes a run unattended.
        {NoDisplay, {"-AUTO", "image.txt"}, 6, false, "needs a display"},
        {NoDisplay, {"-Auto"}, 6, false, "needs a display"},
        {NoDisplay, {"image.txt", "-h"}, 3, true, ""},
        {NoDisplay, {"-auto"}, 3, false, ""},  // unattended: the usage goes into the log
        {StaleDisplay, {}, 6, false, "cannot open the display \":987\""},
        {StaleDisplay, {"image.txt", "-HELP"}, 3, true, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.display) + " " + (row.args.empty() ? "" : row.args.front()));
        Start start(row.display);
        Child kelvane(KELVANE_BIN, row.args, start.home.file("err.txt"));
        const int exitCode = kelvane.wait(30s);
        ASSERT_NE(exitCode, Child::Running) << "kelvane did not end";
        EXPECT_EQ(exitCode, row.exitCode);
        const std::string out = kelvane.output();
        EXPECT_EQ(has(out, UsageLine), row.usage) << out;
        const std::string err = start.err();
        if (*row.err)
            EXPECT_TRUE(has(err, row.err) && err.find('\n') == err.size() - 1) << err;
        else
            EXPECT_EQ(err, "");
    }
}

TEST(Startup, UnattendedRunsUploadTheFileNamedFirstWithOrWithoutAUsableDisplay) {
    struct Row {
        const char* display;
        const char* file;  // named like an option's upper-case form
        Args options;
    };
    const Row rows[] = {
        {NoDisplay, "Boot.txt", {"-AUTO"}},
        {NoDisplay, "Setup.txt", {"-auto"}},
        {StaleDisplay, "Output.txt", {"-auto"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        Start start(row.display);
        const std::string image = start.home.file(row.file);
        ASSERT_EQ(Child(KELVANE_SIM_BIN, {"make-image", image, "--size", "3000"}).wait(20s), 0);
        Sim sim({"--start-in-loader", "--loader-baud", "57600", "--received", start.home.file("received.bin")});
        start.home.set("KELVANE_COM1", sim.device);
        Args args = {image};
        args.insert(args.end(), row.options.begin(), row.options.end());
        EXPECT_EQ(Child(KELVANE_BIN, args, start.home.file("err.txt")).wait(90s), 0);
        sim.stop();
        sim.wait(10s);
        EXPECT_EQ(ReadFile(start.home.file("received.bin")), ReadFile(image));
        EXPECT_EQ(start.err(), "");
        // No log was asked for, so none is written (the home is drive C:, where "utput.txt" went).
        EXPECT_TRUE(std::filesystem::is_empty(start.home.home()));
    }
}

TEST(Startup, AnUnattendedLogKeepsAMissingPortsReport) {
    Start start(NoDisplay);
    const std::string image = start.home.file("app.txt"), log = start.home.file("log.txt");
    ASSERT_EQ(Child(KELVANE_SIM_BIN, {"make-image", image, "--size", "3000"}).wait(20s), 0);
    start.home.set("KELVANE_COM4", start.home.file("no-such-device"));
    EXPECT_EQ(Child(KELVANE_BIN, {image, "-auto", "-s4", "-o", log}).wait(30s), 3);
    const std::string text = ReadFile(log);
    const auto missing = text.find("No Com 4 Found, ");
    EXPECT_TRUE(missing != std::string::npos && missing < text.find("Invalid serial command line parameter")) << text;
}

TEST(Startup, AStopWhileAStartUpBoxIsOpenEndsTheRun) {
    Start start(NoDisplay);
    start.home.set("QT_QPA_PLATFORM", "offscreen");
    // The port the window opens at start-up is missing: its box waits for an OK.
    start.home.set("KELVANE_COM1", start.home.file("no-such-device"));
    Child kelvane(KELVANE_BIN, {}, start.home.file("err.txt"));
    // The settings are written just before the port is opened; from then on a stop is caught.
    const std::string settings = start.home.config() + "/ZQ Technologies/Utility/Kelvane.ini";
    for (int i = 0; i < 3000 && !std::filesystem::exists(settings); ++i) std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(std::filesystem::exists(settings));
    kelvane.stop();
    EXPECT_EQ(kelvane.wait(30s), 6);
}

}  // namespace
