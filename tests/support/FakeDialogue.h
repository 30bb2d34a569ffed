#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/UserDialogue.h"

// Records what the engine shows; message boxes are "closed" at once.
class FakeDialogue : public UserDialogue {
public:
    void messageBox(const std::string& text, const std::string& title) override {
        shown += "[" + title + ": " + text + "]";
        if (onBox) onBox();
    }
    void usageBox(const std::string& text, const std::string& title) override { messageBox(text, title); }
    std::string openFile(const FileDialogRequest& request) override {
        fileRequests.push_back(request);
        return fileAnswer;
    }
    void showChecksumViewer(const std::string& caption, const std::string& text,
                            std::optional<size_t> markedLine) override {
        viewerOpen = true;
        viewerMarkedLine = markedLine;
        viewerCaption = caption;
        viewerText = text;
    }
    void closeChecksumViewer() override { viewerOpen = false; }
    void showAbout() override { aboutOpen = true; }
    void closeAbout() override { aboutOpen = false; }
    void closeMainWindow() override {
        if (onClose) onClose();
    }

    // Every box so far, as "[title: text]" one after another.
    std::string shown;
    std::function<void()> onBox;
    std::vector<FileDialogRequest> fileRequests;
    std::string fileAnswer;
    bool viewerOpen = false;
    std::string viewerCaption, viewerText;
    std::optional<size_t> viewerMarkedLine;
    bool aboutOpen = false;
    // Bound by the harness to the engine's close path.
    std::function<void()> onClose;
};
