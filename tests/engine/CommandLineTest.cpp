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

TEST(CommandLineParsing, LaterOptionsInAnyCaseTheFirstTokenIsAFileNameUnlessInAnOptionsOwnForm) {
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
        {"f -h", "h"},           {"f -Auto", "a"},         {"-auto", "ah"},           {"", ""},
        // Later options in any letter case; whole-token flags; the checksum in lower case.
        {"My Docs\\new-image.TXT -AuTo -s2 -b19200 -o -V -noReboot -checksum0X1234", "sacbovn0x1234"},
        {" -verbose -b 9600 -helpme", "b"},
        {"--help", "h"},         {"f --help", ""},         {"--helpme", ""},  // the GNU spelling, first only
    };
    for (const auto& [line, set] : cases) {
        auto h = parsed(line);
        EXPECT_EQ(flags(*h), set) << line;
        EXPECT_EQ(h->st().cmdMode, *line != '\0') << line;
        // The program asks the same reading, before it has a window, whether to run unattended.
        const CommandLine::StartMode mode = CommandLine::ModeOf(line);
        EXPECT_EQ(std::pair(mode.unattended, mode.usage), std::pair(h->st().autoMode, h->st().helpRequested)) << line;
    }
    EXPECT_EQ(parsed(" -v")->st().cmdLinePath, "");  // a leading " -" leaves no file name
}

TEST(CommandLineParsing, PortFormsAndOutputNamesLowerCasedOnlyOnWindowsStyleHosts) {
    // The line, POSIX paths, the port (and whether it was given), its number, the log's name.
    const std::tuple<std::string, bool, std::string> cases[] = {
        {"f -s3", false, "given Com 3 3|"},      {"f -s 3", false, "given Com 3 3|"},
        {"f -scom3", false, "given Com 3 3|"},   {"f -SCOM 7", false, "given Com 7 7|"},
        {"f -s12", false, "given Com 1 1|"},     {"f -s", false, "given Com  0|"},
        {"f -s0", false, "given Com 0 0|"},      {"f -start", false, "given Com T 0|"},
        {"-scom5", false, "given Com 5 5|"},     {"-S2", false, " 0|"},
        {"f -s9", false, "given Com 9 9|"},      {"f -o D:\\Logs\\Run.TXT", false, " 0|d:\\logs\\run.txt"},
        {"f -oRun", false, " 0|run"},            {"-oRun", false, " 0|run"},
        {"f -o ", false, " 0|c:\\Kelvane.txt"}, {"f -o  two", false, " 0| two"},
        {"f -o /tmp/Logs/Run.TXT", true, " 0|/tmp/Logs/Run.TXT"},
        {"f -O/tmp/Run", true, " 0|/tmp/Run"},   {"-oRun", true, " 0|Run"},
        {"f -o ", true, " 0|c:\\Kelvane.txt"},
    };
    for (const auto& [line, posix, parsedAs] : cases) {
        auto h = parsed(line, posix);
        const State& s = h->st();
        const std::string port = (s.portGiven ? "given " : "") + s.cmdLinePort + " " + std::to_string(s.portNumber);
        EXPECT_EQ(port + "|" + s.outputFile, parsedAs) << line;
    }
}

TEST(CommandLineApplying, EachLineEndsWithItsMessageExitCodeAndWindow) {
    const std::string usageBox = "[Kelvane  Version 2.2.0: " + UsageText + "]";
    const std::string fileMissing =
        "[Kelvane: Error # 7\r\nFile Not found\r\nCheck File to Upload\r\nPath Information ";
    // The line, a file that exists, what the user and a script are told, and what the
    // window is left with: q quit, s stopped, r restart checked, c a command line run,
    // t Tessin selected, w written to the port; then the path box and the port.
    const std::tuple<std::string, std::string, std::string, std::string> cases[] = {
        {"file.txt -h", "", usageBox + " log: exit:3", "qrc||"},
        {"-auto", "", " log:\r\n06/12/2026  10:11\r\n\r\nCommand Prompt Text = -auto\r\n\r\n" + UsageText + " exit:3",
         "qrc||"},
        // An unsupported rate is logged, and the exit code kept; with no file first, the usage.
        {"file.txt -b 9600", "file.txt", " log:\r\nIOS baud speed not supported  exit:6", "qrc||"},
        {"-b115200", "", usageBox + " log:\r\nIOS baud speed not supported  exit:6", "qrc||"},
        {"-b9600", "", " log: exit:6", "rt||"},
        {"-b19200", "", " log: exit:6", "rt||"},
        {"-b38400", "", " log: exit:6", "rt||"},
        {"-b57600", "", " log: exit:6", "rt||"},
        // An invalid port stops the work; unattended, nothing goes through it.
        {"-s -o", "", "[Kelvane:  Com Port Set to None Reset to valid port] log:" + InvalidPortMessage + " exit:3",
         "srt||None"},
        {"x -s0 -auto", "x", " log:" + InvalidPortMessage + " exit:3", "src|x|None"},
        // The file name goes into the path box as given, and must exist.
        {"\"file.txt\" -noreboot", "file.txt", fileMissing + "\r\n\"file.txt\": file not found] log: exit:7",
         "c|\"file.txt\"|"},
        {"  My images\\new.img  -s3", "My images\\new.img", " log: exit:6", "rc|My images\\new.img|"},
        {"   -v", "", " log: exit:6", "rt||"},
    };
    for (const auto& [line, existing, outcome, leaves] : cases) {
        auto h = applied(line, existing);
        const State& s = h->st();
        const Controls& ui = h->ui();
        std::string left;
        for (const auto& [flag, letter] : {std::pair{s.quitRequested, 'q'}, {s.stopRequested, 's'},
                                           {ui.chkRestarttoApp.checked(), 'r'}, {s.cmdMode, 'c'},
                                           {ui.optTessin.checked(), 't'}, {!h->port.writes.empty(), 'w'}})
            if (flag) left += letter;
        EXPECT_EQ(h->outcome(), outcome) << line;
        EXPECT_EQ(left + "|" + ui.txtUploadPath.text() + "|" + ui.cboPort.text(), leaves) << line;
    }
}

}  // namespace
