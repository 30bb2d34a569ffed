#include "serial/ErrorReporter.h"

#include <initializer_list>

#include "app/Engine.h"
#include "app/HostError.h"
#include "app/Text.h"
#include "app/Version.h"

namespace {

constexpr const char* ErrorLineHead = "Error # ";
constexpr const char* NoPort = "None";
constexpr int FileExitCode = 7;
constexpr int PortExitCode = 3;
constexpr int UnexpectedExitCode = 6;

constexpr const char* FileNotFound = "File Not found";
constexpr const char* CheckFile = "Check File to Upload";
constexpr const char* PathInformation = "Path Information ";
constexpr const char* PortInUse = "The Serial port is in use";
constexpr const char* ByAnotherProgram = "by another Program or Device";
constexpr const char* ShutDownOffender = "Shut Down the Offending Program";
constexpr const char* OrChangePort = " or Change the Com Port Settings";
constexpr const char* NoCom1 = "No Com 1  Found, ";
constexpr const char* TryCom2 = "Try setting to Com 2";
constexpr const char* NoCom2 = "No Com 2  Found, ";
constexpr const char* TryCom1 = "Try setting to Com 1";
constexpr const char* NoComHead = "No Com ";
constexpr const char* NoComTail = " Found, ";
constexpr const char* TryAnotherPort = "Try setting to another Port";
constexpr const char* Unexpected = "Unexpected Error";

std::string joined(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& line : lines) {
        if (!text.empty()) text += Text::CrLf;
        text += line;
    }
    return text;
}

std::string errorLine(int number) { return ErrorLineHead + std::to_string(number); }

// The host's reason (which device or file, and why) follows as a line of its own.
std::string withReason(std::string message, const std::string& reason) {
    if (!reason.empty()) message += Text::CrLf + reason;
    return message;
}

}  // namespace

void ErrorReporter::DeliverMessage(const std::string& message) {
    const State& s = k_.state;
    if (s.autoMode) {
        k_.log.AppendLog(message);
        return;
    }
    if (s.outputToFile) k_.log.AppendLog(message);
    k_.dialogue.messageBox(message, Version::Title);
}

void ErrorReporter::HoldRepeatsOf(int errorNumber, const std::string& reason) { held_.emplace(errorNumber, reason); }

void ErrorReporter::ReleaseRepeats() { held_.reset(); }

void ErrorReporter::ReportError(int errorNumber, const std::string& reason) {
    State& s = k_.state;
    if (held_ && held_->first == errorNumber && held_->second == reason) return;
    k_.result.ErrorReported(errorNumber, reason);

    switch (errorNumber) {
    case ErrorNumber::BadFileName:
    case ErrorNumber::FileNotFound:
    case ErrorNumber::PathFileAccess:
    case ErrorNumber::PathNotFound:
        DeliverMessage(withReason(joined({errorLine(FileExitCode), FileNotFound, CheckFile, PathInformation}), reason));
        s.appExitCode = FileExitCode;
        return;

    case ErrorNumber::PortInUse:
        DeliverMessage(withReason(
            joined({errorLine(PortExitCode), PortInUse, ByAnotherProgram, ShutDownOffender, OrChangePort}), reason));
        k_.ui.cboPort.setText(NoPort);
        k_.ui.cboPort.setLook(Look::NoPort);
        if (k_.port.isOpen()) k_.port.close();
        s.appExitCode = PortExitCode;
        return;

    case ErrorNumber::NoSuchPort: {
        std::string message;
        if (s.portNumber == 1)
            message = joined({errorLine(PortExitCode), NoCom1, TryCom2});
        else if (s.portNumber == 2)
            message = joined({errorLine(PortExitCode), NoCom2, TryCom1});
        else if (s.portNumber > 2)
            message = joined({errorLine(PortExitCode), NoComHead + std::to_string(s.portNumber) + NoComTail,
                              TryAnotherPort});
        if (!message.empty()) DeliverMessage(withReason(message, reason));
        k_.ui.cboPort.setText(NoPort);
        s.appExitCode = PortExitCode;
        return;
    }

    default: {
        const std::string full = withReason(joined({errorLine(errorNumber), Unexpected}), reason);
        if (s.autoMode) {
            k_.log.AppendLog(full);
        } else {
            if (s.outputToFile) k_.log.AppendLog(errorLine(errorNumber));
            k_.dialogue.messageBox(full, Version::Title);
        }
        s.appExitCode = UnexpectedExitCode;
        return;
    }
    }
}
