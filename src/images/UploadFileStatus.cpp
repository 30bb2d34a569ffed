#include "images/UploadFileStatus.h"

#include "app/Engine.h"
#include "app/HostError.h"
#include "app/Text.h"

namespace {
// Far enough to hold the header and the checksum field wherever it may stand.
constexpr size_t HeadBytes = 2048;
constexpr const char* NoSuchFile = "No such file: ";
constexpr const char* Unreadable = "Cannot read the file: ";
constexpr const char* EmptyFile = " is empty";
constexpr const char* NotAnImage = " is not an encoded image file: it does not start with \"";
constexpr const char* Bytes = " bytes, ";
constexpr const char* Declared = "declared checksum ";
constexpr const char* NoneDeclared = "no checksum declared";
}  // namespace

void UploadFileStatus::Tell(const std::string& text) {
    if (!k_.state.uploadBusy) k_.ui.lblUploadStatus.setCaption(text);
}

std::string UploadFileStatus::FileName(const std::string& path) const {
    const auto cut = path.find_last_of(k_.files.posixPaths() ? "/" : "\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

void UploadFileStatus::Describe() {
    declared_.clear();
    const std::string& path = k_.ui.txtUploadPath.text();
    if (path.empty()) {
        Tell({});
        return;
    }
    const std::string name = FileName(path);
    FileSystem::Head head;
    try {
        head = k_.files.readHead(path, HeadBytes);
    } catch (const HostError& e) {
        const int n = e.number();
        // The box shows where it was looked for.
        Tell(n == ErrorNumber::FileNotFound || n == ErrorNumber::PathNotFound ? NoSuchFile + name
                                                                               : Unreadable + e.reason());
        return;
    }
    if (head.size == 0) {
        Tell(name + EmptyFile);
        return;
    }
    if (!Text::startsWith(head.bytes, ImageFile::Header)) {
        Tell(name + NotAnImage + ImageFile::Header + "\"");
        return;
    }
    declared_ = ImageFile::DeclaredChecksum(head.bytes);
    Tell(name + ": " + std::to_string(head.size) + Bytes + (declared_.empty() ? NoneDeclared : Declared + declared_));
}
