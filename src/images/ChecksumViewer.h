#pragma once

class Engine;

// Shows the selected model's checksum reference file.
class ChecksumViewer {
public:
    explicit ChecksumViewer(Engine& k) : k_(k) {}

    void cmdCheckSumtxtButton_Click();
    void frmChecksum_Form_Unload();

private:
    Engine& k_;
};
