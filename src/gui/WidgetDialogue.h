#pragma once

#include <QPointer>
#include <QString>
#include <functional>
#include <string>

#include "app/UserDialogue.h"

class QDialog;
class QWidget;
class ChecksumWindow;
class AboutBox;

// What the engine asks of the person at the screen, on Qt Widgets. A run without a
// screen (unattended, offscreen) never opens a dialog: messages go to standard error.
class WidgetDialogue : public UserDialogue {
public:
    // Maps one of the program's own paths ("M:\Development\Code\...") to the host's.
    using PathMapper = std::function<QString(const std::string&)>;

    // Tells whether a wait is running the events just now.
    using WaitProbe = std::function<bool()>;

    WidgetDialogue(PathMapper toHostPath, WaitProbe waiting, bool unattended);
    ~WidgetDialogue() override;

    // The main window: parent of the dialogs and the window closeMainWindow closes.
    void setMainWindow(QWidget* window);
    // Run when the user closes the checksum viewer.
    std::function<void()> onViewerClosed;

    void messageBox(const std::string& text, const std::string& title) override;
    void usageBox(const std::string& text, const std::string& title) override;
    std::string openFile(const FileDialogRequest& request) override;
    void showChecksumViewer(const std::string& caption, const std::string& text,
                            std::optional<size_t> markedLine) override;
    void closeChecksumViewer() override;
    void showAbout() override;
    void closeAbout() override;
    void closeMainWindow() override;

    // "Description|pattern|..." as a file dialog's filters, and the one to select.
    static QString dialogFilters(const std::string& filter, int index, QString* selected);

private:
    // A box in a script's run goes to standard error instead; true when it went there.
    bool toStandardError(const std::string& text, const std::string& title) const;
    // Shows the box and waits for it to be closed, unless a wait is running the events.
    void show(QDialog* box);

    PathMapper toHostPath_;
    WaitProbe waiting_;
    bool unattended_;
    QPointer<QWidget> main_;
    QPointer<ChecksumWindow> viewer_;
    QPointer<AboutBox> about_;
};
