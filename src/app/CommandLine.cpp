#include "app/CommandLine.h"

#include <vector>

#include "app/Engine.h"
#include "app/HostError.h"
#include "app/Text.h"
#include "app/Version.h"

namespace {

constexpr const char* TokenSeparator = " -";
constexpr const char* DefaultOutputFile = "c:\\Kelvane.txt";
constexpr const char* NoPort = "None";
constexpr const char* AutoModePort = "Com 1";
constexpr const char* PortPrefix = "Com ";
constexpr const char* BaudNotSupported = "IOS baud speed not supported ";
constexpr const char* InvalidPortMessage = "Error # 3\r\nInvalid serial command line parameter";
constexpr const char* PortSetToNone = " Com Port Set to None Reset to valid port";
constexpr const char* CommandPromptText = "Command Prompt Text = ";
constexpr int UsageExitCode = 3;
constexpr int InvalidPortExitCode = 3;

const char* const ResetBauds[] = {"9600", "19200", "38400", "57600"};

const char* const UsageLines[] = {
    "Usage: ",
    "",
    " filename.xxx    Has to be first parameter, example: filename.xxx",
    "",
    " -auto   Automaticaly starts appcode Upload with no user intervention.",
    "         The filename parameter is required, example: filename.xxx -auto",
    "",
    " -b# IOS BaudRate = # This is the reset value for the IOS Baud rate",
    "     after the app code upload valid Baud rates = 9600, 19200, 38400, 57600",
    "",
    "-s#  Serial Port number = #, example: filename.xxx -s1 Valid port #'s = 1-9 ",
    "",
    "-checksum#   checksum number = #, example: filename.xxx -checksum0x1234",
    "",
    "-o[optional filename]    Sends all output to file, example: filename.xxx -oc:\\app.txt",
    "",
    "-v   No terminal data logged used with -o, example -o -v ",
    "",
    "-noreboot    Cpu remains in IOS mode after upload",
    "",
    "-help or -h  Displays this screen",
};

std::vector<std::string> splitTokens(const std::string& raw) {
    std::vector<std::string> tokens;
    if (raw.empty()) return tokens;
    const std::string sep = TokenSeparator;
    size_t start = 0;
    for (size_t at = raw.find(sep); at != std::string::npos; at = raw.find(sep, start)) {
        tokens.push_back(raw.substr(start, at - start));
        start = at + sep.size();
    }
    tokens.push_back(raw.substr(start));
    return tokens;
}

// The rest of a token from position `from` on; empty when the token is shorter.
std::string from(const std::string& token, size_t from) {
    return from < token.size() ? token.substr(from) : std::string();
}

int16_t portValue(char c) { return c >= '1' && c <= '9' ? static_cast<int16_t>(c - '0') : 0; }

}  // namespace

std::string CommandLine::UsageText() {
    std::string text;
    for (const char* line : UsageLines) {
        text += line;
        text += Text::CrLf;
    }
    return text;
}

std::string CommandLine::UsageTitle() {
    return std::string(Version::Title) + "  " + "Version " + std::to_string(Version::Major) + "." +
           std::to_string(Version::Minor) + "." + std::to_string(Version::Revision);
}

void CommandLine::ParseCommandLine(bool& argcmdMode, std::string& argPathResult, std::string& /*argResult*/) {
    State& s = k_.state;
    const std::string& raw = k_.setup.rawCommandLine;
    // On a case-sensitive file system the log's name is taken as typed.
    const bool keepNameCase = k_.files.posixPaths();

    const std::vector<std::string> tokens = splitTokens(raw);
    for (size_t i = 0; i < tokens.size(); ++i) {
        const std::string& typed = tokens[i];
        std::string token = i == 0 ? typed : Text::upper(typed);
        if (i == 0) argPathResult = typed;

        const bool shortPort = Text::startsWith(token, "S");
        if (shortPort || Text::startsWith(token, "-s")) {
            const std::string head = shortPort ? "S" : "-s";
            s.portGiven = true;
            token = head + Text::trim(from(token, head.size()));
            if (Text::startsWith(token, head + (shortPort ? "COM" : "com"))) token = head + token.back();
            s.cmdLinePort = PortPrefix;
            if (token.size() > head.size()) s.cmdLinePort += token[head.size()];
            s.portNumber = portValue(s.cmdLinePort.back());
        }

        if (Text::startsWith(token, "AUTO")) {
            s.autoMode = true;
        } else if (Text::startsWith(token, "-auto")) {
            // An option in the file name's place: the file name is missing.
            s.autoMode = true;
            s.helpRequested = true;
        }

        const bool shortChecksum = Text::startsWith(token, "CHECKSUM");
        if (shortChecksum || Text::startsWith(token, "-checksum")) {
            s.checksumGiven = true;
            token = Text::lower(token);
            k_.ui.txtFileChecksum.setText(from(token, shortChecksum ? 8 : 9));
        }

        const bool shortBaud = Text::startsWith(token, "B");
        if (shortBaud || Text::startsWith(token, "-b")) {
            s.baudGiven = true;
            token = Text::lower(token);
            s.iosResetBaud = from(token, shortBaud ? 1 : 2);
        }

        const bool shortOutput = Text::startsWith(token, "O");
        if (shortOutput || Text::startsWith(token, "-o")) {
            s.outputToFile = true;
            token = Text::lower(token);
            const std::string& named = keepNameCase ? typed : token;
            s.outputFile = from(named, shortOutput ? 1 : 2);
            if (Text::startsWith(s.outputFile, " ")) s.outputFile = from(named, 2);
            if (s.outputFile.empty() || s.outputFile == " ") s.outputFile = DefaultOutputFile;
        }

        if (token == "V")
            s.noTerminalLog = true;
        else if (token == "NOREBOOT")
            s.noReboot = true;
        else if (token == "HELP" || token == "H" || Text::startsWith(token, "-h"))
            s.helpRequested = true;
    }
    if (!raw.empty()) argcmdMode = true;
}

void CommandLine::ApplyCommandLine() {
    State& s = k_.state;
    Controls& ui = k_.ui;
    s.cmdLineApplied = true;

    if ((s.cmdLinePath.empty() && s.autoMode) || s.helpRequested) {
        ShowUsage();
        s.appExitCode = UsageExitCode;
        s.quitRequested = true;
        return;
    }

    if (s.noReboot) ui.chkRestarttoApp.setChecked(false);

    if (s.portGiven) {
        if (s.portNumber == 0) ui.cboPort.setText(NoPort);
        ValidateCommandLinePort();
    } else if (s.autoMode) {
        ui.cboPort.setText(AutoModePort);
    }

    if (s.baudGiven) {
        bool supported = false;
        for (const char* baud : ResetBauds) supported = supported || s.iosResetBaud == baud;
        if (!supported) {
            k_.log.AppendLog(BaudNotSupported);
            if (Text::startsWith(s.cmdLinePath, "-")) ShowUsage();
            s.quitRequested = true;
            return;
        }
    }

    s.cmdLinePath = Text::trim(s.cmdLinePath);
    if (!s.cmdLinePath.empty() && !Text::startsWith(s.cmdLinePath, "-")) {
        ui.optTessin.setChecked(false);
        ui.txtUploadPath.setText(s.cmdLinePath);
        if (k_.files.lookup(s.cmdLinePath).empty()) {
            k_.errors.ReportError(ErrorNumber::BadFileName, s.cmdLinePath + ": file not found");
            return;
        }
        if (s.autoMode && ui.cboPort.text() != NoPort) k_.upload.cmdStartUploadButton_Click();
        return;
    }
    ui.optTessin.select();
    s.cmdMode = false;
}

void CommandLine::ValidateCommandLinePort() {
    State& s = k_.state;
    if (k_.ui.cboPort.text() != NoPort) return;
    if (s.autoMode) {
        k_.log.AppendLog(InvalidPortMessage);
    } else {
        if (s.outputToFile) k_.log.AppendLog(InvalidPortMessage);
        k_.dialogue.messageBox(PortSetToNone, Version::Title);
    }
    s.appExitCode = InvalidPortExitCode;
    s.stopRequested = true;
}

void CommandLine::ShowUsage() {
    const State& s = k_.state;
    if (s.autoMode) {
        k_.log.AppendLog(k_.host.shortDate() + "  " + k_.host.shortTime() + Text::CrLf + Text::CrLf +
                         CommandPromptText + k_.setup.rawCommandLine + Text::CrLf + Text::CrLf + UsageText());
    } else {
        k_.dialogue.messageBox(UsageText(), UsageTitle());
    }
}
