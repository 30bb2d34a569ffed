#include "app/OutputLog.h"

#include "app/Engine.h"
#include "app/HostError.h"
#include "app/Text.h"

namespace {

constexpr const char* DoneLine = "AppCode Upload Done:";
constexpr const char* LogNotWrittenHead = "kelvane: the log file ";
constexpr const char* LogNotWrittenTail = " could not be written: ";
constexpr const char* LogOverInputTail = " is not written: it is the file ";
constexpr const char* LogOverInputEnd = " that the run reads";

// The separators of a file name: the backslash everywhere, "/" as well on hosts
// with POSIX paths.
const char* separators(bool posix) { return posix ? "\\/" : "\\"; }

// A bare or backslash-rooted name goes to the root of drive C:, a name without an
// extension gets ".txt". On POSIX hosts a name starting with "/" is already absolute.
std::string normalised(std::string name, bool posix, FileSystem& files) {
    const char* seps = separators(posix);
    name = Text::trim(name);
    if (Text::startsWith(name, "\\\\")) name.erase(0, 1);
    if (name.find_first_of(seps) == std::string::npos && (name.size() < 2 || name[1] != ':')) name.insert(0, "\\");
    const auto lastSep = name.find_last_of(seps);
    const std::string last = lastSep == std::string::npos ? name : name.substr(lastSep + 1);
    // A device or a pipe (-o /dev/stdout) is written as named.
    if (last.find('.') == std::string::npos && !files.isStream(name)) name += ".txt";
    if (Text::startsWith(name, "\\")) name.insert(0, "C:");
    return name;
}

bool isDriveOnly(const std::string& prefix) {
    return prefix.size() == 2 && prefix[1] == ':';
}

}  // namespace

void OutputLog::AppendLog(const std::string& text) {
    k_.state.logText += Text::CrLf;
    k_.state.logText += text;
}

void OutputLog::WriteLogFile() {
    State& s = k_.state;
    // How the upload ended, in one line, after everything the upload logged itself.
    if (const std::string result = k_.result.Sentence(); !result.empty()) AppendLog(result);
    s.logText += std::string(Text::CrLf) + Text::CrLf + DoneLine + " " + k_.host.shortTime() + "  " +
                 k_.host.shortDate() + Text::CrLf + Text::CrLf;

    const bool posix = k_.files.posixPaths();
    s.outputFile = normalised(s.outputFile, posix, k_.files);
    // A log over a file the run reads would destroy it: the image asked for, or the settings.
    for (const std::string& read : {s.uploadPath, k_.store.fileName()}) {
        if (read.empty() || !k_.files.sameFile(s.outputFile, read)) continue;
        k_.host.warn(LogNotWrittenHead + s.outputFile + LogOverInputTail + read + LogOverInputEnd);
        return;
    }

    // Missing folders are made from the outermost inwards; one that cannot be made is
    // passed over, and the write below says what went wrong.
    const auto lastSep = s.outputFile.find_last_of(separators(posix));
    const std::string folderPart = lastSep == std::string::npos ? std::string() : s.outputFile.substr(0, lastSep + 1);
    if ((posix || folderPart.size() > 3) && !k_.files.isStream(s.outputFile)) {
        for (auto sep = folderPart.find_first_of(separators(posix)); sep != std::string::npos;
             sep = folderPart.find_first_of(separators(posix), sep + 1)) {
            const std::string folder = folderPart.substr(0, sep);
            if (folder.empty() || isDriveOnly(folder)) continue;
            try {
                if (!k_.files.folderExists(folder)) k_.files.createFolder(folder);
            } catch (const HostError&) {
            }
        }
    }

    try {
        k_.files.writeAll(s.outputFile, s.logText + Text::CrLf);
    } catch (const HostError& e) {
        k_.host.warn(LogNotWrittenHead + s.outputFile + LogNotWrittenTail + e.reason());
    }
}
