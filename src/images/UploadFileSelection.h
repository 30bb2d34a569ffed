#pragma once

#include <array>
#include <functional>
#include <string>

#include "app/Controls.h"
#include "app/State.h"

class Engine;

// One switcher model: its option button, its folder in the maker's code tree, the
// path last used with it and where that is stored, and its checksum reference file.
struct SwitcherModel {
    Control Controls::*option;
    const char* folder;
    std::string State::*path;
    const char* setting;
    const char* checksumFile;
};

// The upload file per switcher model, Browse, and the maker's development folder.
class UploadFileSelection {
public:
    explicit UploadFileSelection(Engine& k) : k_(k) {}

    // The five models, in the order the path handler and the viewer look at them.
    static const std::array<SwitcherModel, 5>& Models();

    void optVarda_Click();
    void optTessin_Click();
    void optR65500_Click();
    void optHalcyn_Click();
    void optTarsel16_Click();
    void txtUploadPath_Change();
    void cmdBrowseButton_Click();
    void CheckDevelopmentFolder();
    // Runs change with the path box's changes taken but not stored: showing or hiding the
    // maker's set empties and refills the box, which is no choice of the user's.
    void WithoutStoring(const std::function<void()>& change);

    // The model whose option is selected, if any.
    const SwitcherModel* SelectedModel() const;

private:
    void SelectModel(const SwitcherModel& model);

    Engine& k_;
    bool storing_ = true;
};
