#include "ios/ChecksumReadback.h"

#include <algorithm>
#include <string>

#include "app/Engine.h"
#include "app/Text.h"
#include "ios/LoaderTexts.h"

namespace {

constexpr const char* ChecksumMarker = "CHECKSUM:";
// The loader puts one blank after the marker; the checksum is at most 8 characters
// and the line's end is looked for within this many.
constexpr size_t MarkerGap = 1;
constexpr size_t ChecksumField = 10;
constexpr size_t ChecksumMax = ChecksumField - 2;
constexpr const char* AppReadyLine = "Ready\r\n";

constexpr int RestartEchoSeconds = 1;
// The new application's start-up takes a while before it says it is ready.
constexpr int AppReadySeconds = 10;

}  // namespace

void ChecksumReadback::MarkImageEnd() {
    reportFrom_ = k_.channel.TrimmedChars() + static_cast<int64_t>(k_.ui.txtTerminal.text().size());
}

void ChecksumReadback::ReadBackChecksum() {
    const std::string& pane = k_.ui.txtTerminal.text();
    const int64_t from = std::clamp<int64_t>(reportFrom_ - k_.channel.TrimmedChars(), 0,
                                             static_cast<int64_t>(pane.size()));
    const size_t marker = Text::upper(pane).find(ChecksumMarker, static_cast<size_t>(from));
    if (marker == std::string::npos) return;

    const size_t fieldStart = marker + std::string(ChecksumMarker).size() + MarkerGap;
    const std::string field = fieldStart < pane.size() ? pane.substr(fieldStart, ChecksumField) : std::string();
    const size_t lineEnd = field.find_first_of("\r\n");
    std::string checksum;
    if (lineEnd != std::string::npos && lineEnd + 1 < field.size())
        checksum = field.substr(0, lineEnd);
    else if (field.size() > 2)
        checksum = field.substr(0, field.size() - 2);
    k_.ui.txtAppCheckSum.setText(checksum);
}

void ChecksumReadback::RestartToApp() {
    CommandChannel& ch = k_.channel;
    k_.result.EnterPhase(UploadResult::Phase::Restarting);
    if (k_.ui.chkRestarttoApp.checked()) {
        k_.port.write(LoaderTexts::RestartCommand);
        ch.WaitUntil(RestartEchoSeconds, [&] { return ch.BufferEndsWith({LoaderTexts::RestartCommand}); });
        // The application starts at 9600 baud whatever the loader ran at.
        k_.selectors.SetBaud9600();
    }
    k_.result.Restarted(ch.WaitUntil(AppReadySeconds, [&] { return ch.BufferEndsWith({AppReadyLine}); }));
}
