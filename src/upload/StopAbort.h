#pragma once

#include <array>

class Control;
class Controls;
class Engine;

// The Stop button, the common end of a stopped or failed upload, and unlocking the window.
class StopAbort {
public:
    explicit StopAbort(Engine& k) : k_(k) {}

    static constexpr const char* AbortedMessage = "Upload Aborted";
    static constexpr const char* CommFailedMessage = "Error # 6\r\nSerial Communications Error";

    void cmdStopUploadButton_Click();
    void AbortUpload();
    void UnlockControls();

    // What an upload locks besides the Start button and the two selectors: whatever
    // could change the file, the model, the mode or the restart while it runs.
    static std::array<Control*, 8> UploadSettingsControls(Controls& ui);

private:
    Engine& k_;
};
