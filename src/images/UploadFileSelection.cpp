#include "images/UploadFileSelection.h"

#include "app/Engine.h"
#include "app/Text.h"

namespace {
constexpr const char* BrowseFilter = "All Files (*.*)|*.*|";
constexpr int BrowseFilterIndex = 1;
// The maker's code tree; each model's application code lies in <tree><folder><app>.
constexpr const char* CodeTree = "M:\\Development\\Code\\";
constexpr const char* AppFolder = "\\CPU\\App\\";
constexpr const char* DevelopmentFolder = "m:\\development";
constexpr const char* DevelopmentFolderName = "DEVELOPMENT";

enum ModelIndex { Varda, Tessin, R65500, Halcyn, Tarsel16 };
}  // namespace

const std::array<SwitcherModel, 5>& UploadFileSelection::Models() {
    static const std::array<SwitcherModel, 5> models{{
        {&Controls::optVarda, "Varda", &State::vardaFilePath, "VardaFilePath",
         "M:\\Development\\Code\\Varda\\Cpu\\App\\Checksums.txt"},
        {&Controls::optTessin, "Tessin", &State::tessinFilePath, "TessinFilePath",
         "M:\\Development\\Code\\Tessin\\CPU\\App\\Checksums.txt"},
        {&Controls::optR65500, "R6MQ", &State::sixR55FilePath, "sixR55FilePath",
         "M:\\Development\\Code\\R6MQ\\CPU\\App\\Checksums.txt"},
        {&Controls::optHalcyn, "Halcyn", &State::halcynFilePath, "HalcynFilePath",
         "M:\\Development\\Code\\Halcyn\\CPU\\App\\Checksums.txt"},
        {&Controls::optTarsel16, "Tarsel16", &State::tarsel16FilePath, "Tarsel16FilePath",
         "M:\\Development\\Code\\Tarsel16\\CPU\\App\\Checksums.txt"},
    }};
    return models;
}

void UploadFileSelection::SelectModel(const SwitcherModel& model) {
    // The path handler runs nested in this write, with the option already selected.
    k_.ui.txtUploadPath.setText(k_.state.*model.path);
    k_.state.switcherType = model.folder;
    k_.recentFiles.Show();
}

const SwitcherModel* UploadFileSelection::SelectedModel() const {
    const SwitcherModel* selected = nullptr;
    for (const SwitcherModel& model : Models())
        if ((k_.ui.*model.option).checked()) selected = &model;
    return selected;
}

void UploadFileSelection::optVarda_Click() { SelectModel(Models()[Varda]); }
void UploadFileSelection::optTessin_Click() { SelectModel(Models()[Tessin]); }
void UploadFileSelection::optR65500_Click() { SelectModel(Models()[R65500]); }
void UploadFileSelection::optHalcyn_Click() { SelectModel(Models()[Halcyn]); }
void UploadFileSelection::optTarsel16_Click() { SelectModel(Models()[Tarsel16]); }

void UploadFileSelection::txtUploadPath_Change() {
    const std::string& text = k_.ui.txtUploadPath.text();
    k_.state.uploadPath = text;
    if (!storing_) return;
    // Every change is remembered at once for the selected model; there is no save.
    for (const SwitcherModel& model : Models()) {
        if (!(k_.ui.*model.option).checked()) continue;
        k_.state.*model.path = text;
        int32_t type = 0;
        k_.settings.WriteRegValue(Settings::SettingsKey, model.setting, SettingValue::fromText(text), type);
    }
    k_.uploadFileStatus.Describe();
}

void UploadFileSelection::WithoutStoring(const std::function<void()>& change) {
    struct Restore {
        bool& storing;
        ~Restore() { storing = true; }
    } restore{storing_};
    storing_ = false;
    change();
}

void UploadFileSelection::cmdBrowseButton_Click() {
    if (k_.state.uploadBusy) return;
    try {
        FileDialogRequest request;
        request.filter = BrowseFilter;
        request.filterIndex = BrowseFilterIndex;
        const std::string& current = k_.ui.txtUploadPath.text();
        if (!current.empty())
            request.fileName = current;
        else
            request.initialFolder = CodeTree + k_.state.switcherType + AppFolder;
        const std::string chosen = k_.dialogue.openFile(request);
        k_.recentFiles.Choose(chosen);
    } catch (...) {
        // A dialog that fails leaves the path box as it was.
    }
}

void UploadFileSelection::CheckDevelopmentFolder() {
    std::string name;
    try {
        name = k_.files.lookup(DevelopmentFolder);
    } catch (...) {
        // No drive M: at all.
    }
    k_.state.devFolderPresent = Text::upper(name) == DevelopmentFolderName;
}
