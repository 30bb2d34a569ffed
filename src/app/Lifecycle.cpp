#include "app/Lifecycle.h"

#include <array>
#include <string>

#include "app/Engine.h"
#include "app/Text.h"

namespace {
constexpr const char* AutoViewCaption = "Kelvane (Auto Mode)";
constexpr const char* ManualViewCaption = "Kelvane (Manual Mode)";
constexpr const char* LogStartLine = "AppCode Upload Started:";

// No verdict yet: the value a run that ends early reports.
constexpr int32_t NoVerdictExitCode = 6;

// The display rule of the maker-only controls: 0 hidden, 1 shown, anything else
// follows the development folder.
constexpr int16_t RuleHidden = 0;
constexpr int16_t RuleShown = 1;

// The controls the two views show and hide.
std::array<Control*, 4> engineeringButtons(Controls& ui) {
    return {&ui.cmdSendIOSButton, &ui.cmdResetBaudButton, &ui.cmdRebootButton, &ui.cmdEraseJournalButton};
}
std::array<Control*, 4> checksumControls(Controls& ui) {
    return {&ui.lblChecksum, &ui.txtFileChecksum, &ui.txtAppCheckSum, &ui.lblAppChecksum};
}
}  // namespace

void Lifecycle::Form_Load() {
    State& st = k_.state;
    Controls& ui = k_.ui;
    // A start-up that fails early must not leave the success code behind.
    st.appExitCode = NoVerdictExitCode;
    try {
        k_.uploadFiles.CheckDevelopmentFolder();
        k_.settings.LoadSettings();
        k_.settings.SaveVersionInfo();
        std::string unused;
        k_.commandLine.ParseCommandLine(st.cmdMode, st.cmdLinePath, unused);
        k_.selectors.FillPortAndBaudLists();
        k_.terminalMode.ApplyTerminalColors();

        (st.termMode ? ui.mnuTermModeOn : ui.mnuTermModeOff).setChecked(true);
        k_.selectors.ShowPortNumber();
        if (!st.cmdMode) ui.optTessin.select();
        st.uploadBusy = false;
        mnuAuto_Click();
        k_.selectors.SetBaud9600();
        st.quitRequested = false;
        st.delayActive = true;
        st.appExitCode = NoVerdictExitCode;
        if (st.showZqOnlyObjects == RuleHidden)
            k_.makerOnly.HideZqOnlyControls();
        else if (st.showZqOnlyObjects == RuleShown || st.devFolderPresent)
            k_.makerOnly.ShowZqOnlyControls();
        else
            k_.makerOnly.HideZqOnlyControls();
    } catch (...) {
        // A failing step ends the start-up quietly; the window is shown all the same.
    }
}

void Lifecycle::cmdExitButton_GotFocus() {
    State& st = k_.state;
    if (!st.cmdMode) return;
    if (st.autoMode) {
        // What start-up reported (a port that is missing or in use) stays, after the start line.
        const std::string startUp = st.cmdLineApplied ? std::string() : st.logText;
        st.logText = std::string(LogStartLine) + " " + k_.host.shortTime() + "  " + k_.host.shortDate() + Text::CrLf +
                     startUp;
    }
    if (!st.cmdLineApplied) k_.commandLine.ApplyCommandLine();
    if (st.autoMode || st.quitRequested) k_.dialogue.closeMainWindow();
}

void Lifecycle::cmdExitButton_Click() {
    k_.result.StopAsked(UploadResult::StopSource::Exit);
    k_.state.stopRequested = true;
    k_.state.quitRequested = true;
    // While an upload runs the Start button is disabled; the upload closes the window
    // when it has stopped.
    if (k_.ui.cmdStartUploadButton.enabled()) k_.dialogue.closeMainWindow();
}

void Lifecycle::mnuExit_Click() { k_.dialogue.closeMainWindow(); }

void Lifecycle::Form_QueryUnload(bool& cancel) {
    if (k_.ui.cmdStartUploadButton.enabled()) return;
    // Never close in the middle of an upload: stop it, and close when it has ended.
    cancel = true;
    cmdExitButton_Click();
}

void Lifecycle::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    State& st = k_.state;
    // Whatever fails on the way out, the process still ends with its exit code.
    try {
        k_.result.EndOfRun();
    } catch (...) {
    }
    try {
        if (st.autoMode && st.outputToFile && k_.ui.cmdStartUploadButton.enabled()) k_.log.WriteLogFile();
    } catch (...) {
    }
    try {
        if (k_.port.isOpen()) k_.port.close();
    } catch (...) {
    }
    k_.dialogue.closeAbout();
    k_.dialogue.closeChecksumViewer();
    k_.host.exit(st.appExitCode);
}

void Lifecycle::mnuAuto_Click() {
    Controls& ui = k_.ui;
    ui.mnuAuto.setChecked(true);
    ui.mnuManual.setChecked(false);
    for (Control* c : engineeringButtons(ui)) c->setVisible(false);
    if (!k_.state.noReboot) ui.chkRestarttoApp.setChecked(true);
    for (Control* c : checksumControls(ui)) c->setVisible(true);
    ui.frmKelvane.setCaption(AutoViewCaption);
}

void Lifecycle::mnuManual_Click() {
    Controls& ui = k_.ui;
    ui.mnuAuto.setChecked(false);
    ui.mnuManual.setChecked(true);
    for (Control* c : engineeringButtons(ui)) c->setVisible(true);
    for (Control* c : checksumControls(ui)) c->setVisible(false);
    ui.frmKelvane.setCaption(ManualViewCaption);
}

void Lifecycle::mnuAbout_Click() { k_.dialogue.showAbout(); }
