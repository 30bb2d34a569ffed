#include "images/UploadFileDrop.h"

#include "app/Engine.h"

namespace {
constexpr const char* NotAFile = "Only a file can be dropped here";
constexpr const char* SeveralFiles = "Drop one file at a time: ";
constexpr const char* SeveralFilesTail = " were dropped";
constexpr const char* AFolder = " is a folder: drop an image file";
}  // namespace

bool UploadFileDrop::DropAllowed() const { return !k_.state.uploadBusy; }

void UploadFileDrop::Form_DragDrop(const std::vector<std::string>& files, bool otherContent) {
    if (!DropAllowed()) return;
    UploadFileStatus& status = k_.uploadFileStatus;
    if (files.empty() || otherContent) {
        status.Tell(files.size() + (otherContent ? 1 : 0) > 1 ? SeveralFiles + std::string("several items") +
                                                                    SeveralFilesTail
                                                              : NotAFile);
        return;
    }
    if (files.size() > 1) {
        status.Tell(SeveralFiles + std::to_string(files.size()) + " files" + SeveralFilesTail);
        return;
    }
    const std::string& path = files.front();
    bool folder = false;
    try {
        folder = k_.files.folderExists(path);
    } catch (...) {
        // A path the host cannot look up is no folder; the path box says what it is.
    }
    if (folder) {
        status.Tell(status.FileName(path) + AFolder);
        return;
    }
    k_.recentFiles.Choose(path);
}
