#include "app/CommandLine.h"

#include <optional>
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
// The GNU spelling, as the first word only.
constexpr const char* LongHelp = "--help";
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
    // On a case-sensitive file system the log's name is taken as typed.
    const std::optional<std::string> checksum =
        Parse(k_.setup.rawCommandLine, k_.files.posixPaths(), k_.state, argcmdMode, argPathResult);
    if (checksum) k_.ui.txtFileChecksum.setText(*checksum);
}

CommandLine::StartMode CommandLine::ModeOf(const std::string& raw) {
    State s;
    bool cmdMode = false;
    std::string path;
    Parse(raw, true, s, cmdMode, path);
    return {s.autoMode, s.helpRequested};
}

std::optional<std::string> CommandLine::Parse(const std::string& raw, bool keepNameCase, State& s, bool& cmdMode,
                                              std::string& path) {
    std::optional<std::string> checksum;
    const std::vector<std::string> tokens = splitTokens(raw);
    for (size_t i = 0; i < tokens.size(); ++i) {
        const std::string& typed = tokens[i];
        // The first token is the file name; an option stands there only in its own
        // form, hyphen and lower case, so a file called Setup.txt is no port option.
        const bool first = i == 0;
        std::string token = first ? typed : Text::upper(typed);
        if (first) path = typed;
        // The length of the option's name at the token's head, 0 when it is not there.
        const auto option = [&](const std::string& name) -> size_t {
            const std::string head = first ? "-" + Text::lower(name) : name;
            return Text::startsWith(token, head) ? head.size() : 0;
        };

        if (const size_t head = option("S")) {
            const std::string name = token.substr(0, head);
            s.portGiven = true;
            token = name + Text::trim(from(token, head));
            if (Text::startsWith(token, name + (first ? "com" : "COM"))) token = name + token.back();
            s.cmdLinePort = PortPrefix;
            if (token.size() > head) s.cmdLinePort += token[head];
            s.portNumber = portValue(s.cmdLinePort.back());
        }

        if (option("AUTO")) {
            s.autoMode = true;
            // An option in the file name's place: the file name is missing.
            if (first) s.helpRequested = true;
        }

        if (const size_t head = option("CHECKSUM")) {
            s.checksumGiven = true;
            token = Text::lower(token);
            checksum = from(token, head);
        }

        if (const size_t head = option("B")) {
            s.baudGiven = true;
            token = Text::lower(token);
            s.iosResetBaud = from(token, head);
        }

        if (const size_t head = option("O")) {
            s.outputToFile = true;
            token = Text::lower(token);
            const std::string& named = keepNameCase ? typed : token;
            s.outputFile = from(named, head);
            if (Text::startsWith(s.outputFile, " ")) s.outputFile = from(named, 2);
            if (s.outputFile.empty() || s.outputFile == " ") s.outputFile = DefaultOutputFile;
        }

        if (token == (first ? "-v" : "V"))
            s.noTerminalLog = true;
        else if (token == (first ? "-noreboot" : "NOREBOOT"))
            s.noReboot = true;
        else if (first ? Text::startsWith(token, "-h") || token == LongHelp : token == "HELP" || token == "H")
            s.helpRequested = true;
    }
    if (!raw.empty()) cmdMode = true;
    return checksum;
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
        k_.dialogue.usageBox(UsageText(), UsageTitle());
    }
}
