#pragma once

#include <cstddef>
#include <optional>
#include <string>

struct FileDialogRequest {
    std::string filter;         // "All Files (*.*)|*.*|"
    int filterIndex = 1;        // counts from 1
    std::string initialFolder;  // engine path, e.g. "M:\Development\Code\Tessin\CPU\App\"
    std::string fileName;       // preselected file (engine path)
};

// What the engine asks of the person at the screen, and of the windows.
class UserDialogue {
public:
    virtual ~UserDialogue() = default;

    // Modal message box with an OK button only, no icon; returns when it is closed.
    // One raised while a wait runs the events (a user's click during an upload) stays
    // up without holding the wait: it returns at once.
    virtual void messageBox(const std::string& text, const std::string& title) = 0;
    // The usage text, as messageBox does, its lines kept in columns as they stand.
    virtual void usageBox(const std::string& text, const std::string& title) = 0;
    // Modal file-open dialog; returns the chosen file, or empty when cancelled.
    virtual std::string openFile(const FileDialogRequest& request) = 0;
    // The modeless checksum reference viewer, built anew when it was closed; the marked
    // line (counting from 0) is highlighted and scrolled into view.
    virtual void showChecksumViewer(const std::string& caption, const std::string& text,
                                    std::optional<size_t> markedLine) = 0;
    virtual void closeChecksumViewer() = 0;
    // The modeless About box.
    virtual void showAbout() = 0;
    virtual void closeAbout() = 0;
    // Asks the main window to close; the close runs Form_QueryUnload and, when not
    // refused, Form_Unload.
    virtual void closeMainWindow() = 0;
};
