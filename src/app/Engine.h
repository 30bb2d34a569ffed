#pragma once

#include <string>

#include "app/CommandLine.h"
#include "app/Controls.h"
#include "app/FileSystem.h"
#include "app/Host.h"
#include "app/Lifecycle.h"
#include "app/OutputLog.h"
#include "app/SerialPort.h"
#include "app/Settings.h"
#include "app/UploadHistory.h"
#include "app/SettingsStore.h"
#include "app/State.h"
#include "app/UserDialogue.h"
#include "images/ChecksumViewer.h"
#include "images/RecentUploadFiles.h"
#include "images/UploadFileDrop.h"
#include "images/UploadFileStatus.h"
#include "images/UploadFileSelection.h"
#include "ios/ChecksumReadback.h"
#include "ios/EngineeringCommands.h"
#include "ios/ImageTransfer.h"
#include "ios/KeyExchange.h"
#include "ios/UnlockErase.h"
#include "serial/CommandChannel.h"
#include "serial/ErrorReporter.h"
#include "serial/PortSelectors.h"
#include "terminal/MakerOnlyControls.h"
#include "terminal/TerminalMode.h"
#include "terminal/TerminalPane.h"
#include "upload/CpuDetection.h"
#include "upload/ImageFile.h"
#include "upload/IosEntry.h"
#include "upload/StopAbort.h"
#include "upload/UploadDriver.h"
#include "upload/UploadResult.h"

struct EngineSetup {
    // The command line without the program's path, as one text.
    std::string rawCommandLine;
    // The folder that holds the program file.
    std::string programFolder;
};

// The main window's behaviour: the shared state, the controls model and every
// operation and handler, given the host it runs on. No Qt in here.
class Engine : private ControlsListener {
public:
    Engine(SerialPort& port, Host& host, UserDialogue& dialogue, SettingsStore& store, FileSystem& files,
           EngineSetup setup);
    ~Engine() override;
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    State state;
    Controls ui;

    SerialPort& port;
    Host& host;
    UserDialogue& dialogue;
    SettingsStore& store;
    FileSystem& files;
    const EngineSetup setup;
    // Where ended uploads are kept; none in a run that keeps nothing.
    UploadHistory* history = nullptr;

    // Application shell
    Settings settings{*this};
    OutputLog log{*this};
    CommandLine commandLine{*this};
    Lifecycle lifecycle{*this};
    // Serial link
    ErrorReporter errors{*this};
    PortSelectors selectors{*this};
    CommandChannel channel{*this};
    // Upload sequence
    UploadDriver upload{*this};
    ImageFile image{*this};
    CpuDetection detection{*this};
    IosEntry iosEntry{*this};
    StopAbort stopAbort{*this};
    UploadResult result{*this};
    // Loader dialogues
    KeyExchange keys{*this};
    UnlockErase unlockErase{*this};
    ImageTransfer transfer{*this};
    ChecksumReadback readback{*this};
    EngineeringCommands engineering{*this};
    // Image files and checksum references
    UploadFileSelection uploadFiles{*this};
    ChecksumViewer checksumViewer{*this};
    RecentUploadFiles recentFiles{*this};
    UploadFileStatus uploadFileStatus{*this};
    UploadFileDrop fileDrop{*this};
    // Terminal
    TerminalPane terminal{*this};
    TerminalMode terminalMode{*this};
    MakerOnlyControls makerOnly{*this};

private:
    // Runs the host timers as the timer controls say.
    void controlChanged(const Control& control, Aspect aspect) override;
};
