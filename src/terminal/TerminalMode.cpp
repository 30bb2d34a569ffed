#include "terminal/TerminalMode.h"

#include <optional>
#include <string>

#include "app/Engine.h"

namespace {

constexpr const char* TermModeSetting = "trmOnOff";
constexpr const char* TermColorSetting = "trmcolor";

// Booleans are stored as these words.
constexpr const char* StoredTrue = "True";
constexpr const char* StoredFalse = "False";

constexpr Rgb Navy{0, 0, 128};
constexpr Rgb Black{0, 0, 0};
constexpr Rgb LightGrey{224, 224, 224};

struct Scheme {
    Control Controls::*item;
    std::optional<Rgb> back;  // empty: the system's window colours
    std::optional<Rgb> fore;
};

// Indexed by termColor.
const Scheme Schemes[] = {
    {&Controls::mnudefault, std::nullopt, std::nullopt},
    {&Controls::mnubluewhite, Navy, LightGrey},
    {&Controls::mnublackwhite, Black, LightGrey},
};
constexpr int SchemeCount = static_cast<int>(sizeof(Schemes) / sizeof(Schemes[0]));

void store(Engine& k, const char* name, const std::string& text) {
    int32_t type = 0;
    k.settings.WriteRegValue(Settings::SettingsKey, name, SettingValue::fromText(text), type);
}

void showScheme(Engine& k, int number) {
    const Scheme& scheme = Schemes[number];
    (k.ui.*scheme.item).setChecked(true);
    k.ui.txtTerminal.setColors(scheme.back, scheme.fore);
}

void chooseScheme(Engine& k, int number) {
    k.state.termColor = static_cast<int16_t>(number);
    store(k, TermColorSetting, std::to_string(number));
    for (int n = 0; n < SchemeCount; ++n)
        if (n != number) (k.ui.*Schemes[n].item).setChecked(false);
    showScheme(k, number);
}

}  // namespace

void TerminalMode::mnuTermModeOn_Click() {
    k_.state.termMode = true;
    k_.selectors.ApplyPortSettings();
    store(k_, TermModeSetting, StoredTrue);
    k_.ui.mnuTermModeOn.setChecked(true);
    k_.ui.mnuTermModeOff.setChecked(false);
    k_.ui.txtTerminal.setFocus();
}

void TerminalMode::mnuTermModeOff_Click() {
    k_.state.termMode = false;
    k_.selectors.ApplyPortSettings();
    store(k_, TermModeSetting, StoredFalse);
    k_.ui.mnuTermModeOn.setChecked(false);
    k_.ui.mnuTermModeOff.setChecked(true);
}

void TerminalMode::mnudefault_Click() { chooseScheme(k_, 0); }
void TerminalMode::mnubluewhite_Click() { chooseScheme(k_, 1); }
void TerminalMode::mnublackwhite_Click() { chooseScheme(k_, 2); }

void TerminalMode::ApplyTerminalColors() {
    // Any other stored number leaves the pane's initial colours and no item checked.
    const int number = k_.state.termColor;
    if (number >= 0 && number < SchemeCount) showScheme(k_, number);
}
