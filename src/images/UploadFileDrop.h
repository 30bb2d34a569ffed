#pragma once

#include <string>
#include <vector>

class Engine;

// Files dropped onto the window: one file goes into the path box as a Browse choice;
// anything else is ignored and the status line says why.
class UploadFileDrop {
public:
    explicit UploadFileDrop(Engine& k) : k_(k) {}

    // Whether the window takes a drop now: never while an upload runs.
    bool DropAllowed() const;
    // files: the dropped local files and folders; otherContent: something was dropped that
    // is not a local file (text, a web address).
    void Form_DragDrop(const std::vector<std::string>& files, bool otherContent);

private:
    Engine& k_;
};
