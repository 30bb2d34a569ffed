#pragma once

class Engine;

// One upload run, from the Start Upload button to a verdict and an exit code.
class UploadDriver {
public:
    explicit UploadDriver(Engine& k) : k_(k) {}

    void cmdStartUploadButton_Click();
    void PrepareUpload();
    void SetupProgressBar();

private:
    Engine& k_;
};
