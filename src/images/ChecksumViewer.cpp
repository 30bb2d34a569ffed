#include "images/ChecksumViewer.h"

#include "app/Engine.h"
#include "app/HostError.h"
#include "app/Text.h"
#include "app/Version.h"

namespace {
constexpr const char* ViewerCaptionTail = " Checksums.txt";
// The reference files live on a network drive that is not always there.
constexpr const char* FileMissingMessage = "File Not found";
constexpr const char* FileMissingHint = "Check Network Connection";
}  // namespace

void ChecksumViewer::cmdCheckSumtxtButton_Click() {
    try {
        const SwitcherModel* selected = nullptr;
        for (const SwitcherModel& model : UploadFileSelection::Models())
            if ((k_.ui.*model.option).checked()) selected = &model;
        // No model selected means no file name, as a bad file name would.
        if (!selected) throw HostError(ErrorNumber::BadFileName, "no switcher model selected");
        const std::string caption = (k_.ui.*selected->option).caption() + ViewerCaptionTail;
        const std::string text = k_.files.readAll(selected->checksumFile);
        k_.dialogue.showChecksumViewer(caption, text);
    } catch (const HostError& e) {
        const int n = e.number();
        if (n == ErrorNumber::BadFileName || n == ErrorNumber::FileNotFound || n == ErrorNumber::PathNotFound)
            k_.dialogue.messageBox(std::string(FileMissingMessage) + Text::CrLf + FileMissingHint, Version::Title);
    } catch (...) {
        // Any other failure (a file that cannot be read) ends quietly.
    }
}

void ChecksumViewer::frmChecksum_Form_Unload() { k_.dialogue.closeChecksumViewer(); }
