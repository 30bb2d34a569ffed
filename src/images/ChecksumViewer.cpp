#include "images/ChecksumViewer.h"

#include <cctype>

#include "app/Engine.h"
#include "app/HostError.h"
#include "app/Text.h"
#include "app/Version.h"

namespace {
constexpr const char* ViewerCaptionTail = " Checksums.txt";
// The reference files live on a network drive that is not always there.
constexpr const char* FileMissingMessage = "File Not found";
constexpr const char* FileMissingHint = "Check Network Connection";
}  // namespace

void ChecksumViewer::cmdCheckSumtxtButton_Click() {
    try {
        const SwitcherModel* selected = k_.uploadFiles.SelectedModel();
        // No model selected means no file name, as a bad file name would.
        if (!selected) throw HostError(ErrorNumber::BadFileName, "no switcher model selected");
        const std::string caption = (k_.ui.*selected->option).caption() + ViewerCaptionTail;
        const std::string text = k_.files.readAll(selected->checksumFile);
        k_.dialogue.showChecksumViewer(caption, text, LineHolding(text, ExpectedChecksum()));
    } catch (const HostError& e) {
        const int n = e.number();
        if (n == ErrorNumber::BadFileName || n == ErrorNumber::FileNotFound || n == ErrorNumber::PathNotFound)
            k_.dialogue.messageBox(std::string(FileMissingMessage) + Text::CrLf + FileMissingHint, Version::Title);
    } catch (...) {
        // Any other failure (a file that cannot be read) ends quietly.
    }
}

std::string ChecksumViewer::ExpectedChecksum() const {
    const std::string& expected = k_.ui.txtFileChecksum.text();
    if (!expected.empty() && expected != ImageFile::UnknownChecksum) return expected;
    return k_.uploadFileStatus.declaredChecksum();
}

std::optional<size_t> ChecksumViewer::LineHolding(const std::string& text, const std::string& checksum) {
    if (checksum.empty()) return std::nullopt;
    const auto partOfWord = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; };
    const std::string haystack = Text::lower(text), needle = Text::lower(checksum);
    for (size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1)) {
        const size_t end = at + needle.size();
        if ((at > 0 && partOfWord(haystack[at - 1])) || (end < haystack.size() && partOfWord(haystack[end])))
            continue;
        // CR LF, a lone CR and a lone LF each end a line, as the viewer shows them.
        size_t line = 0;
        for (size_t i = 0; i < at; ++i)
            if (text[i] == '\r' || (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))) ++line;
        return line;
    }
    return std::nullopt;
}

void ChecksumViewer::frmChecksum_Form_Unload() { k_.dialogue.closeChecksumViewer(); }
