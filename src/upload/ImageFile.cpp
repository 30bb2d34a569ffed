#include "upload/ImageFile.h"

#include "app/Engine.h"
#include "app/HostError.h"
#include "app/Text.h"

namespace {
constexpr const char* MismatchMessage = "Error # 1\r\nCommand line, file supplied checksum mismatch\r\n";
constexpr const char* PathLogLabel = "Appcode path, filename and version: ";
constexpr const char* ChecksumLogLabel = "AppCode checksum: ";
constexpr const char* TerminalDataLabel = "Terminal Data:";

constexpr const char* ChecksumField = "checksum:";
constexpr size_t ChecksumFieldLength = 9;
// The field counts only when it starts within this many characters of the file.
constexpr size_t FieldSearchLimit = 999;
// The field, its separator and at most 13 characters of checksum are looked at.
constexpr size_t FieldWindow = 25;
}  // namespace

void ImageFile::LoadImageFile() {
    State& s = k_.state;
    if (!k_.ui.cmdStartUploadButton.enabled() && s.outputToFile)
        s.logText += std::string("\r\n") + PathLogLabel + s.uploadPath + "\r\n\r\n";
    try {
        s.imageText = k_.files.readAll(s.uploadPath);
    } catch (const HostError& e) {
        s.stopRequested = true;
        s.imageText.clear();
        k_.errors.ReportError(e.number(), e.reason());
    }
}

std::string ImageFile::DeclaredChecksum(const std::string& image) {
    const size_t q = image.substr(0, FieldSearchLimit - 1 + ChecksumFieldLength).find(ChecksumField);
    if (q == std::string::npos) return {};
    const std::string w = image.substr(q, FieldWindow);

    // Character positions count from 1 here. The checksum starts after the colon and
    // one separator, and runs to the first line end or the end of the window; the
    // scan stops at the window's length, so an unended last field loses its last
    // two characters.
    size_t i = ChecksumFieldLength + 1;
    char c = 0;
    while (i < w.size() && c != '\r' && c != '\n') {
        c = w[i - 1];
        ++i;
    }
    // The scan has gone two past the checksum's end. A line end or the file's end
    // right after the colon leaves nothing to take, not a negative length.
    const size_t overrun = ChecksumFieldLength + 3;
    if (i < overrun) return {};
    return w.substr(ChecksumFieldLength + 1, i - overrun);
}

void ImageFile::GetImageChecksum() {
    State& s = k_.state;
    Control& box = k_.ui.txtFileChecksum;
    box.setVisible(true);
    if (k_.ui.mnuManual.checked()) box.setVisible(false);

    const std::string declared = DeclaredChecksum(s.imageText);
    if (!s.checksumGiven) {
        box.setText(declared.empty() ? UnknownChecksum : declared);
        return;
    }
    const std::string given = box.text();
    if (given.empty() && !declared.empty()) {
        box.setText(declared);
        return;
    }
    // The command line's value is lower-cased; a file may declare its hex digits in
    // capitals. When they agree the file's own text is expected of the device.
    if (Text::lower(given) == Text::lower(declared)) {
        box.setText(declared);
        return;
    }
    if (s.outputToFile && !k_.ui.cmdStartUploadButton.enabled())
        s.logText += ChecksumLogLabel + given + "\r\n\r\n" + TerminalDataLabel + "\r\n\r\n";
    if (given.empty()) return;
    s.appExitCode = 1;
    s.stopRequested = true;
    k_.errors.DeliverMessage(MismatchMessage);
}
