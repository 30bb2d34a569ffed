#pragma once

class Engine;

// The upload file per switcher model, Browse, and the maker's development folder.
class UploadFileSelection {
public:
    explicit UploadFileSelection(Engine& k) : k_(k) {}

    void optVarda_Click();
    void optTessin_Click();
    void optR65500_Click();
    void optHalcyn_Click();
    void optTarsel16_Click();
    void txtUploadPath_Change();
    void cmdBrowseButton_Click();
    void CheckDevelopmentFolder();

private:
    Engine& k_;
};
