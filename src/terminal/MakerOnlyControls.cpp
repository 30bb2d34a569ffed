#include "terminal/MakerOnlyControls.h"

#include <array>
#include <string>

#include "app/Engine.h"

namespace {
constexpr const char* RuleSetting = "ShowZqOnlyObjects";
constexpr const char* TessinPathSetting = "TessinFilePath";
constexpr int16_t RuleHidden = 0;
constexpr int16_t RuleShown = 1;

// The terminal area in twips: with the set hidden it takes the switcher group's room.
constexpr Geometry FrameWithSet{120, 1860, 9300, 2772};
constexpr Geometry PaneWithSet{180, 252, 8910, 2412};
constexpr Geometry FrameWithoutSet{120, 1260, 9300, 3372};
constexpr Geometry PaneWithoutSet{180, 252, 8910, 3000};

std::array<Control*, 5> makerOnlySet(Controls& ui) {
    return {&ui.cmdSplashButton, &ui.cmdConfirmationKey, &ui.cmdMagicWordButton, &ui.FrameSwitcherType,
            &ui.cmdCheckSumtxtButton};
}
}  // namespace

void MakerOnlyControls::txtTerminal_KeyDown(int keyCode, bool shift, bool, bool) {
    if (keyCode != KeyF1 || !shift) return;
    if (k_.state.zqOnlyShown)
        HideZqOnlyControls();
    else
        ShowZqOnlyControls();
    int32_t type = 0;
    k_.settings.WriteRegValue(Settings::SettingsKey, RuleSetting,
                              SettingValue::fromText(std::to_string(k_.state.showZqOnlyObjects)), type);
}

void MakerOnlyControls::HideZqOnlyControls() { k_.uploadFiles.WithoutStoring([this] { HideSet(); }); }

void MakerOnlyControls::ShowZqOnlyControls() { k_.uploadFiles.WithoutStoring([this] { ShowSet(); }); }

void MakerOnlyControls::HideSet() {
    Controls& ui = k_.ui;
    ui.Frame1.setGeometry(FrameWithoutSet);
    ui.txtTerminal.setGeometry(PaneWithoutSet);
    // Switched off without running their handlers; Halcyn keeps its state.
    for (Control* option : {&ui.optTessin, &ui.optVarda, &ui.optR65500, &ui.optTarsel16}) option->setChecked(false);
    for (Control* c : makerOnlySet(ui)) c->setVisible(false);
    k_.state.zqOnlyShown = false;
    k_.state.showZqOnlyObjects = RuleHidden;
    if (k_.state.cmdLinePath.empty()) ui.txtUploadPath.setText("");
}

void MakerOnlyControls::ShowSet() {
    Controls& ui = k_.ui;
    ui.Frame1.setGeometry(FrameWithSet);
    ui.txtTerminal.setGeometry(PaneWithSet);
    ui.optTessin.select();
    for (Control* c : makerOnlySet(ui)) c->setVisible(true);
    k_.state.zqOnlyShown = true;
    k_.state.showZqOnlyObjects = RuleShown;
    k_.state.tessinFilePath =
        k_.settings.ReadRegValue(Settings::SettingsKey, TessinPathSetting, SettingValue::fromText("")).text;
    ui.txtUploadPath.setText(k_.state.tessinFilePath);
}
