#pragma once

#include <cstdint>
#include <string>

// The one record of the main window. Every operation reads and writes these
// fields directly; they are only touched on the user-interface thread.
struct State {
    std::string uploadPath;
    std::string switcherType;
    int16_t termColor = 0;
    int32_t timerStart = 0;
    std::string receivedChunk;
    int16_t portNumber = 0;
    std::string portSettings;
    std::string imageText;
    std::string vardaFilePath;
    std::string tessinFilePath;
    std::string sixR55FilePath;
    std::string halcynFilePath;
    std::string tarsel16FilePath;
    bool stopRequested = false;
    bool commFailed = false;
    bool uploadBusy = false;
    std::string receiveBuffer;
    bool transferActive = false;
    bool quitRequested = false;
    std::string commandText;
    std::string iosBaud;
    bool delayActive = false;
    bool cmdMode = false;
    std::string cmdLinePath;
    std::string outputFile;
    std::string logText;
    std::string iosResetBaud;
    std::string foundBaud;
    std::string cmdLinePort;
    bool termMode = false;
    bool portGiven = false;
    bool checksumGiven = false;
    bool baudGiven = false;
    bool outputToFile = false;
    bool noReboot = false;
    bool noTerminalLog = false;
    bool helpRequested = false;
    bool autoMode = false;
    int32_t appExitCode = 0;
    bool devFolderPresent = false;
    int16_t showZqOnlyObjects = 0;
    bool zqOnlyShown = false;
    bool cmdLineApplied = false;
};
