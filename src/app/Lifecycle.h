#pragma once

class Engine;

// Start-up, the Auto and Manual views, and closing with the exit code.
class Lifecycle {
public:
    explicit Lifecycle(Engine& k) : k_(k) {}

    void Form_Load();
    void cmdExitButton_GotFocus();
    void cmdExitButton_Click();
    void mnuExit_Click();
    // Sets cancel to refuse the close.
    void Form_QueryUnload(bool& cancel);
    void Form_Unload();
    void mnuAuto_Click();
    void mnuManual_Click();
    void mnuAbout_Click();
    // The window has closed and the process is ending.
    bool ended() const { return unloaded_; }

private:
    Engine& k_;
    // The process ends once, whichever way the window was closed.
    bool unloaded_ = false;
};
