#include "images/UploadFileDrop.h"

#include "app/Engine.h"

namespace {
constexpr const char* NotAFile = "Only a file can be dropped here";
constexpr const char* OneAtATime = "Drop one file at a time";
constexpr const char* AFolder = " is a folder: drop an image file";
}  // namespace

bool UploadFileDrop::DropAllowed() const { return !k_.state.uploadBusy; }

void UploadFileDrop::Form_DragDrop(const std::vector<std::string>& files, bool otherContent) {
    if (!DropAllowed()) return;
    UploadFileStatus& status = k_.uploadFileStatus;
    if (files.size() > 1 || (otherContent && !files.empty())) {
        status.Tell(OneAtATime);
        return;
    }
    if (files.empty()) {
        status.Tell(NotAFile);
        return;
    }
    const std::string& path = files.front();
    bool folder = false;
    try {
        folder = k_.files.folderExists(path);
    } catch (...) {
        // A path the host cannot look up is no folder; the status line then says what it is.
    }
    if (folder) {
        status.Tell(status.FileName(path) + AFolder);
        return;
    }
    k_.recentFiles.Choose(path);
}
