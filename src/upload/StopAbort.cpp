#include "upload/StopAbort.h"

#include "app/Engine.h"
#include "ios/LoaderTexts.h"

void StopAbort::cmdStopUploadButton_Click() {
    k_.state.stopRequested = true;
    k_.result.StopAsked(UploadResult::StopSource::User);
    // Two seconds on, the recovery tries to bring the CPU's terminal back, unless
    // the upload's end disables it first.
    k_.ui.Timer1.setEnabled(true);
}

void StopAbort::AbortUpload() {
    State& s = k_.state;
    if (!s.stopRequested) return;

    if (k_.port.isOpen()) k_.port.write(LoaderTexts::WakeCommand);
    k_.channel.DoEvents();
    if (!s.autoMode) k_.channel.DoEvents();
    k_.errors.DeliverMessage(s.commFailed ? CommFailedMessage : AbortedMessage);
    if (!s.autoMode) k_.channel.DoEvents();
    k_.ui.ProgressBar1.setValue(0);
    k_.channel.ClearTerminal();
    k_.channel.ClearReceiveBuffer();
    // The receive handler goes back to taking every waiting character at once.
    s.transferActive = false;
    k_.selectors.ApplyPortSettings();
    UnlockControls();
    if (s.outputToFile && !s.autoMode) k_.log.WriteLogFile();
    if (s.quitRequested) k_.dialogue.closeMainWindow();
}

std::array<Control*, 8> StopAbort::UploadSettingsControls(Controls& ui) {
    return {&ui.cmdBrowseButton, &ui.mnuOptions, &ui.optTarsel16, &ui.optR65500,
            &ui.optHalcyn,       &ui.optTessin,  &ui.optVarda,    &ui.chkRestarttoApp};
}

void StopAbort::UnlockControls() {
    Controls& ui = k_.ui;
    ui.cmdStartUploadButton.setEnabled(true);
    ui.cboPort.setEnabled(true);
    ui.cboBaud.setEnabled(true);
    k_.state.uploadBusy = false;
    ui.txtUploadPath.setLocked(false);
    for (Control* c : UploadSettingsControls(ui)) c->setEnabled(true);
    ui.Timer1.setEnabled(false);
    k_.selectors.ApplyPortSettings();
}
