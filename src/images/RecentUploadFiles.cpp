#include "images/RecentUploadFiles.h"

#include "app/Engine.h"
#include "app/Text.h"

void RecentUploadFiles::Choose(const std::string& path) {
    if (k_.state.uploadBusy || path.empty()) return;
    Control& box = k_.ui.txtUploadPath;
    // The same file again changes nothing in the box, yet the status line tells it afresh.
    if (box.text() == path)
        k_.uploadFileStatus.Describe();
    else
        box.setText(path);
    Remember(path);
}

void RecentUploadFiles::txtUploadPath_EntryChosen(const std::string& path) { Choose(path); }

bool RecentUploadFiles::SamePath(const std::string& a, const std::string& b) const {
    // Windows names the same file in any letter case.
    return k_.files.posixPaths() ? a == b : Text::lower(a) == Text::lower(b);
}

void RecentUploadFiles::Remember(const std::string& path) {
    const SwitcherModel* model = k_.uploadFiles.SelectedModel();
    if (!model || path.empty()) return;
    std::vector<std::string> list{path};
    for (const std::string& earlier : List(*model))
        if (list.size() < Kept && !SamePath(earlier, path)) list.push_back(earlier);
    // Every place is written, an emptied one too, so a shorter list leaves nothing stale.
    for (size_t n = 1; n <= Kept; ++n) {
        int32_t type = 0;
        k_.settings.WriteRegValue(Settings::SettingsKey, ValueName(*model, n),
                                  SettingValue::fromText(n <= list.size() ? list[n - 1] : std::string()), type);
    }
    Show();
}

void RecentUploadFiles::Show() {
    const SwitcherModel* model = k_.uploadFiles.SelectedModel();
    k_.ui.txtUploadPath.setEntries(model ? List(*model) : std::vector<std::string>());
}

std::vector<std::string> RecentUploadFiles::List(const SwitcherModel& model) const {
    std::vector<std::string> list;
    for (size_t n = 1; n <= Kept; ++n) {
        std::string path =
            k_.settings.ReadRegValue(Settings::SettingsKey, ValueName(model, n), SettingValue::fromText({})).text;
        if (!path.empty()) list.push_back(std::move(path));
    }
    return list;
}

std::string RecentUploadFiles::ValueName(const SwitcherModel& model, size_t n) {
    return std::string(model.setting) + "Recent" + std::to_string(n);
}
