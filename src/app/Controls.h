#pragma once

#include <string>
#include <vector>

#include "app/Control.h"

class ControlsListener {
public:
    virtual ~ControlsListener() = default;
    virtual void controlChanged(const Control& control, Aspect aspect) = 0;
};

// The main window's controls as the behaviour sees them, each under its own name,
// with the captions, tool tips and groups of the window. Views mirror it through
// ControlsListener.
class Controls {
    // Declared before the controls: they register themselves while being built.
    std::vector<Control*> all_;
    std::vector<ControlsListener*> listeners_;

public:
    Controls();
    Controls(const Controls&) = delete;
    Controls& operator=(const Controls&) = delete;

    // Every control, in the order the window is built.
    const std::vector<Control*>& all() const { return all_; }
    Control* find(const std::string& name) const;

    void addListener(ControlsListener* listener);
    void removeListener(ControlsListener* listener);

    // The window itself; its caption is the window title.
    Control frmKelvane{*this, "frmKelvane", ControlKind::Window};

    Control cmdConfirmationKey{*this, "cmdConfirmationKey", ControlKind::Button, " Confirmation          Key"};
    Control txtAppCheckSum{*this, "txtAppCheckSum", ControlKind::TextBox};
    Control txtFileChecksum{*this, "txtFileChecksum", ControlKind::TextBox};
    Control TimerDelay{*this, "TimerDelay", ControlKind::Timer};
    Control cmdExitButton{*this, "cmdExitButton", ControlKind::Button, "Exit"};
    Control cmdStartUploadButton{*this, "cmdStartUploadButton", ControlKind::Button, "Start Upload"};
    Control cmdStopUploadButton{*this, "cmdStopUploadButton", ControlKind::Button, "Stop Upload"};
    Control chkRestarttoApp{*this, "chkRestarttoApp", ControlKind::CheckBox, "Restart after Upload",
                            "If checked reboots the CPU after appcode upload"};
    Control cmdMagicWordButton{*this, "cmdMagicWordButton", ControlKind::Button, "Magic Word"};
    Control cmdSplashButton{*this, "cmdSplashButton", ControlKind::Button, "Show Splash", "Sends  ~SCR!"};
    Control cmdCheckSumtxtButton{*this, "cmdCheckSumtxtButton", ControlKind::Button, "Checksum Reference",
                                 "Shows checksum.txt file for selected switcher"};
    Control FrameSwitcherType{*this, "FrameSwitcherType", ControlKind::Frame, "Type of Switcher"};
    Control optHalcyn{*this, "optHalcyn", ControlKind::OptionButton, "Halcyn", {}, "FrameSwitcherType"};
    Control optTarsel16{*this, "optTarsel16", ControlKind::OptionButton, "Tarsel-16", {}, "FrameSwitcherType"};
    Control optR65500{*this, "optR65500", ControlKind::OptionButton, "R6-5500", {}, "FrameSwitcherType"};
    Control optTessin{*this, "optTessin", ControlKind::OptionButton, "Tessin", {}, "FrameSwitcherType"};
    Control optVarda{*this, "optVarda", ControlKind::OptionButton, "Varda", {}, "FrameSwitcherType"};
    Control Timer1{*this, "Timer1", ControlKind::Timer};
    Control cmdEraseJournalButton{*this, "cmdEraseJournalButton", ControlKind::Button, "Erase App Block",
                                  "Clears the journal and erases the app code"};
    Control cmdRebootButton{*this, "cmdRebootButton", ControlKind::Button, "Send \"b\" to reboot",
                            "Use when in IOS"};
    Control cmdResetBaudButton{*this, "cmdResetBaudButton", ControlKind::Button, "Set Baud to 57600",
                               "Use when in IOS"};
    Control ProgressBar1{*this, "ProgressBar1", ControlKind::ProgressBar};
    Control Frame2{*this, "Frame2", ControlKind::Frame, "Serial Port Settings"};
    Control cboBaud{*this, "cboBaud", ControlKind::ComboBox, {}, {}, "Frame2"};
    Control cmdBrowseButton{*this, "cmdBrowseButton", ControlKind::Button, "Browse", {}, "Frame2"};
    Control txtUploadPath{*this, "txtUploadPath", ControlKind::TextBox, {}, {}, "Frame2"};
    Control cboPort{*this, "cboPort", ControlKind::ComboBox, {}, {}, "Frame2"};
    Control Label3{*this, "Label3", ControlKind::Label, "File to Upload", {}, "Frame2"};
    Control Label2{*this, "Label2", ControlKind::Label, "Baud Rate", {}, "Frame2"};
    Control Label1{*this, "Label1", ControlKind::Label, "Port Number", {}, "Frame2"};
    Control Frame1{*this, "Frame1", ControlKind::Frame};
    Control txtTerminal{*this, "txtTerminal", ControlKind::TextBox, {}, {}, "Frame1"};
    Control cmdSendIOSButton{*this, "cmdSendIOSButton", ControlKind::Button, "Send ~IOS!", "Go to IOS mode"};
    Control lblAppChecksum{*this, "lblAppChecksum", ControlKind::Label, "Returned Checksum"};
    Control lblChecksum{*this, "lblChecksum", ControlKind::Label, "Expected Checksum"};
    // Under the progress bar: what a running upload is doing, then how the last one ended.
    Control lblUploadStatus{*this, "lblUploadStatus", ControlKind::Label};
    Control lblUploadResult{*this, "lblUploadResult", ControlKind::Label};

    Control mnuFile{*this, "mnuFile", ControlKind::MenuItem, "&File"};
    Control mnuExit{*this, "mnuExit", ControlKind::MenuItem, "E&xit", {}, "mnuFile"};
    Control mnuOptions{*this, "mnuOptions", ControlKind::MenuItem, "&Options"};
    Control mnuMode{*this, "mnuMode", ControlKind::MenuItem, "&Mode", {}, "mnuOptions"};
    Control mnuAuto{*this, "mnuAuto", ControlKind::MenuItem, "&Auto", {}, "mnuMode"};
    Control mnuManual{*this, "mnuManual", ControlKind::MenuItem, "&Manual", {}, "mnuMode"};
    Control mnuTerminalOptions{*this, "mnuTerminalOptions", ControlKind::MenuItem, "&Terminal Options", {},
                               "mnuOptions"};
    Control mnuTermModeOn{*this, "mnuTermModeOn", ControlKind::MenuItem, "&On", {}, "mnuTerminalOptions"};
    Control mnuTermModeOff{*this, "mnuTermModeOff", ControlKind::MenuItem, "O&ff", {}, "mnuTerminalOptions"};
    Control mnuSepModeColor{*this, "mnuSepModeColor", ControlKind::MenuItem, "-", {}, "mnuTerminalOptions"};
    Control mnudefault{*this, "mnudefault", ControlKind::MenuItem, "&White/Black", {}, "mnuTerminalOptions"};
    Control mnubluewhite{*this, "mnubluewhite", ControlKind::MenuItem, "&Blue/White", {}, "mnuTerminalOptions"};
    Control mnublackwhite{*this, "mnublackwhite", ControlKind::MenuItem, "B&lack/White", {}, "mnuTerminalOptions"};
    Control mnuAbout{*this, "mnuAbout", ControlKind::MenuItem, "&About"};

private:
    friend class Control;
    void add(Control& control);
    void notify(const Control& control, Aspect aspect);
};
