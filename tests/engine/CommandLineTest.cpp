#include <gtest/gtest.h>

#include "EngineHarness.h"

namespace {

const std::string UsageText =
    "Usage: \r\n\r\n"
    " filename.xxx    Has to be first parameter, example: filename.xxx\r\n\r\n"
    " -auto   Automaticaly starts appcode Upload with no user intervention.\r\n"
    "         The filename parameter is required, example: filename.xxx -auto\r\n\r\n"
    " -b# IOS BaudRate = # This is the reset value for the IOS Baud rate\r\n"
    "     after the app code upload valid Baud rates = 9600, 19200, 38400, 57600\r\n\r\n"
    "-s#  Serial Port number = #, example: filename.xxx -s1 Valid port #'s = 1-9 \r\n\r\n"
    "-checksum#   checksum number = #, example: filename.xxx -checksum0x1234\r\n\r\n"
    "-o[optional filename]    Sends all output to file, example: filename.xxx -oc:\\app.txt\r\n\r\n"
    "-v   No terminal data logged used with -o, example -o -v \r\n\r\n"
    "-noreboot    Cpu remains in IOS mode after upload\r\n\r\n"
    "-help or -h  Displays this screen\r\n";
const std::string InvalidPortMessage = "\r\nError # 3\r\nInvalid serial command line parameter";

// An engine that has parsed the command line as start-up does, and, when asked,
// applied it as the first focus of the Exit button does.
std::unique_ptr<EngineHarness> parsed(const std::string& raw, bool posix = false) {
    auto h = std::make_unique<EngineHarness>(EnclosureConfig{}, raw);
    h->files.posix = posix;
    h->st().appExitCode = 6;
    h->ui().chkRestarttoApp.setChecked(true);  // as start-up leaves it
    std::string unused;
    h->engine->commandLine.ParseCommandLine(h->st().cmdMode, h->st().cmdLinePath, unused);
    return h;
}
std::unique_ptr<EngineHarness> applied(const std::string& raw, const std::string& existingFile = {}) {
    auto h = parsed(raw);
    if (!existingFile.empty()) h->files.put(existingFile, "no image here\r\n");
    h->engine->commandLine.ApplyCommandLine();
    return h;
}

TEST(CommandLineParsing, OptionsAfterTheFileNameInAnyCase) {
    EXPECT_FALSE(parsed("")->st().cmdMode);
    auto h = parsed("My Docs\\new-image.TXT -AuTo -s2 -b19200 -o -V -noReboot -checksum0X1234");
    const State& s = h->st();
    EXPECT_TRUE(s.cmdMode && s.autoMode && s.noTerminalLog && s.noReboot && s.checksumGiven && s.baudGiven &&
                !s.helpRequested);
    EXPECT_EQ(std::tuple(s.cmdLinePath, s.portNumber, s.iosResetBaud, s.outputFile, h->ui().txtFileChecksum.text()),
              std::tuple("My Docs\\new-image.TXT", 2, "19200", "c:\\Kelvane.txt", "0x1234"));

    // Whole-token flags; a blank is part of the value; a leading " -" leaves an empty
    // file name.
    auto odd = parsed(" -verbose -b 9600 -helpme");
    EXPECT_EQ(odd->st().cmdLinePath + "|" + odd->st().iosResetBaud, "| 9600");
    EXPECT_FALSE(odd->st().noTerminalLog || odd->st().helpRequested);
}

TEST(CommandLineParsing, TheFirstTokenIsAFileNameUnlessItIsAnOptionsOwnForm) {
    // The options a line sets: s port, a auto, c checksum, b baud, o output, v, n noreboot, h help.
    const auto flags = [](EngineHarness& h) {
        const State& s = h.st();
        std::string set;
        for (const auto& [flag, letter] : {std::pair{s.portGiven, 's'}, {s.autoMode, 'a'}, {s.checksumGiven, 'c'},
                                           {s.baudGiven, 'b'}, {s.outputToFile, 'o'}, {s.noTerminalLog, 'v'},
                                           {s.noReboot, 'n'}, {s.helpRequested, 'h'}})
            if (flag) set += letter;
        return set + h.ui().txtFileChecksum.text();
    };
    const std::pair<const char*, const char*> cases[] = {
        {"Boot.txt -auto", "a"}, {"Setup.txt -auto", "a"}, {"Output.txt -auto", "a"}, {"Checksum.txt", ""},
        {"AUTO.txt", ""},        {"H", ""},                {"HELP", ""},              {"V", ""},
        {"NOREBOOT", ""},        {"-V", ""},               {"-AUTO image.txt", ""},   {"-v", "v"},
        {"-noreboot", "n"},      {"-b9600", "b"},          {"-oRun", "o"},            {"-checksum0x1", "c0x1"},
        {"-h", "h"},             {"-help", "h"},           {"-hx", "h"},              {"f -HELP", "h"},
        {"f -h", "h"},           {"f -Auto", "a"},         {"-auto", "ah"},
    };
    for (const auto& [line, set] : cases) {
        auto h = parsed(line);
        EXPECT_EQ(flags(*h), set) << line;
        // The program asks the same reading, before it has a window, whether to run unattended.
        const CommandLine::StartMode mode = CommandLine::ModeOf(line);
        EXPECT_EQ(std::pair(mode.unattended, mode.usage), std::pair(h->st().autoMode, h->st().helpRequested)) << line;
    }
}

TEST(CommandLineParsing, PortForms) {
    const std::tuple<std::string, std::string, int> cases[] = {
        {"f -s3", "Com 3", 3},   {"f -s 3", "Com 3", 3}, {"f -scom3", "Com 3", 3}, {"f -SCOM 7", "Com 7", 7},
        {"f -s12", "Com 1", 1},  {"f -s", "Com ", 0},    {"f -s0", "Com 0", 0},    {"f -start", "Com T", 0},
        {"-scom5", "Com 5", 5},  {"-S2", "", 0},         {"f -s9", "Com 9", 9},
    };
    for (const auto& [line, port, number] : cases) {
        auto h = parsed(line);
        EXPECT_EQ(std::make_tuple(h->st().portGiven, h->st().cmdLinePort, int(h->st().portNumber)),
                  std::make_tuple(!port.empty(), port, number)) << line;
    }
}

TEST(CommandLineParsing, OutputNamesAreLowerCasedOnlyOnWindowsStyleHosts) {
    const std::tuple<std::string, bool, std::string> cases[] = {
        {"f -o D:\\Logs\\Run.TXT", false, "d:\\logs\\run.txt"}, {"f -oRun", false, "run"},
        {"-oRun", false, "run"},                                 {"f -o ", false, "c:\\Kelvane.txt"},
        {"f -o  two", false, " two"},                            {"f -o /tmp/Logs/Run.TXT", true, "/tmp/Logs/Run.TXT"},
        {"f -O/tmp/Run", true, "/tmp/Run"},                      {"-oRun", true, "Run"},
        {"f -o ", true, "c:\\Kelvane.txt"},
    };
    for (const auto& [line, posix, name] : cases) EXPECT_EQ(parsed(line, posix)->st().outputFile, name) << line;
}

TEST(CommandLineParsing, AnyBytesOfAnyLengthAreHarmless) {
    const std::string name(200000, 'x');
    auto h = parsed(name + std::string(" -s\0\xFF -o", 8) + std::string(100000, '\xAE') + " - -  - -b");
    EXPECT_EQ(std::make_tuple(h->st().cmdLinePath == name, int(h->st().portNumber), h->st().outputFile.size(),
                              h->st().iosResetBaud),
              std::make_tuple(true, 0, size_t(100000), ""));
}

TEST(CommandLineApplying, HelpShowsTheUsageAndQuitsWithThree) {
    auto h = applied("file.txt -h");
    EXPECT_EQ(h->outcome(), "[Kelvane  Version 2.2.0: " + UsageText + "] log: exit:3");
    EXPECT_TRUE(h->st().quitRequested && h->ui().txtUploadPath.text().empty());
    EXPECT_EQ(applied("-auto")->outcome(),
              " log:\r\n06/12/2026  10:11\r\n\r\nCommand Prompt Text = -auto\r\n\r\n" + UsageText + " exit:3");
}

TEST(CommandLineApplying, AnUnsupportedBaudIsLoggedAndQuitsWithTheExitCodeKept) {
    auto h = applied("file.txt -b 9600", "file.txt");
    EXPECT_EQ(h->outcome(), " log:\r\nIOS baud speed not supported  exit:6");
    EXPECT_TRUE(h->st().quitRequested);
    // The usage, since no file came first.
    EXPECT_EQ(applied("-b115200")->dialogue.shown, "[Kelvane  Version 2.2.0: " + UsageText + "]");
    for (const char* baud : {"9600", "19200", "38400", "57600"})
        EXPECT_FALSE(applied(std::string("-b") + baud)->st().quitRequested) << baud;
}

TEST(CommandLineApplying, AnInvalidPortStopsTheWorkWithThree) {
    auto h = applied("-s -o");
    EXPECT_EQ(h->ui().cboPort.text(), "None");
    EXPECT_EQ(h->outcome(),
              "[Kelvane:  Com Port Set to None Reset to valid port] log:" + InvalidPortMessage + " exit:3");
    EXPECT_TRUE(h->st().stopRequested);

    auto unattended = applied("x -s0 -auto", "x");
    EXPECT_EQ(unattended->outcome(), " log:" + InvalidPortMessage + " exit:3");
    EXPECT_EQ(unattended->ui().txtUploadPath.text(), "x");
    EXPECT_TRUE(unattended->port.writes.empty());  // no upload through a port that is not there
}

TEST(CommandLineApplying, TheFileNameGoesIntoThePathBoxAndMustExist) {
    auto missing = applied("\"file.txt\" -noreboot", "file.txt");
    EXPECT_FALSE(missing->ui().chkRestarttoApp.checked());
    EXPECT_EQ(missing->ui().txtUploadPath.text(), "\"file.txt\"");
    EXPECT_EQ(missing->outcome(),
              "[Kelvane: Error # 7\r\nFile Not found\r\nCheck File to Upload\r\nPath Information \r\n"
              "\"file.txt\": file not found] log: exit:7");

    auto present = applied("  images\\new.img  -s3", "images\\new.img");
    EXPECT_EQ(present->outcome(), " log: exit:6");
    EXPECT_EQ(present->ui().txtUploadPath.text(), "images\\new.img");
    EXPECT_TRUE(present->st().cmdMode && !present->ui().optTessin.checked());

    auto none = applied("   -v");
    EXPECT_TRUE(none->ui().optTessin.checked() && !none->st().cmdMode);
}

}  // namespace
