#pragma once

class Engine;

// The Stop button, the common end of a stopped or failed upload, and unlocking the window.
class StopAbort {
public:
    explicit StopAbort(Engine& k) : k_(k) {}

    void cmdStopUploadButton_Click();
    void AbortUpload();
    void UnlockControls();

private:
    Engine& k_;
};
