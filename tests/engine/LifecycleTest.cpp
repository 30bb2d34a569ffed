#include <gtest/gtest.h>

#include <stdexcept>

#include "EngineHarness.h"

namespace {

const char* const SettingsKey = "Software\\ZQ Technologies\\Utility\\Kelvane\\STARTUP";

// A harness whose engine can be built again on the same settings, files and port,
// as the program's next run would find them.
struct ProgramRun : EngineHarness {
    explicit ProgramRun(std::string commandLine = {}) : EngineHarness({}, std::move(commandLine)) {}
    void load() { engine->lifecycle.Form_Load(); }
    void restart() {
        engine.reset();  // the old engine lets go of the port and timers first
        engine = std::make_unique<Engine>(port, host, dialogue, store, files, EngineSetup{});
        load();
    }
    void setting(const char* name, const char* text) { store.values[{SettingsKey, name}] = SettingValue::fromText(text); }
    bool loaderButtonsShown() { return ui().cmdSendIOSButton.visible() && ui().cmdEraseJournalButton.visible(); }
    bool checksumsShown() { return ui().txtFileChecksum.visible() && ui().lblAppChecksum.visible(); }
};

TEST(StartUp, FreshSettingsOpenTheAutoViewOnPortOneAt9600WithTheTerminalOn) {
    ProgramRun r;
    r.load();
    Controls& ui = r.ui();
    EXPECT_EQ(ui.cboPort.text(), "Com 1");
    EXPECT_EQ(ui.cboBaud.text(), "9600");
    EXPECT_TRUE(r.port.isOpen());  // terminal mode on keeps it open while idle
    EXPECT_TRUE(ui.mnuTermModeOn.checked() && !ui.mnuTermModeOff.checked());
    EXPECT_TRUE(ui.mnudefault.checked());
    EXPECT_EQ(ui.frmKelvane.caption(), "Kelvane (Auto Mode)");
    EXPECT_FALSE(r.loaderButtonsShown());
    EXPECT_EQ(r.st().appExitCode, 6);
    // Rule 3 without the development folder hides the maker-only set.
    EXPECT_FALSE(ui.FrameSwitcherType.visible());
    EXPECT_EQ(r.st().switcherType, "Tessin");
    EXPECT_TRUE(r.dialogue.boxes.empty());
}

TEST(StartUp, MakerOnlySetFollowsTheStoredRuleThenTheDevelopmentFolder) {
    const struct {
        const char* rule;
        bool folder;
        bool shown;
    } cases[] = {{nullptr, true, true}, {"0", true, false}, {"1", false, true}, {"7", false, false}};
    for (const auto& c : cases) {
        ProgramRun r;
        if (c.folder) r.files.addFolder("M:\\Development");
        if (c.rule) r.setting("ShowZqOnlyObjects", c.rule);
        r.setting("TessinFilePath", "c:\\tessin.img");
        r.load();
        EXPECT_EQ(r.ui().cmdCheckSumtxtButton.visible(), c.shown) << (c.rule ? c.rule : "none");
        EXPECT_EQ(r.ui().txtUploadPath.text(), c.shown ? "c:\\tessin.img" : "");
    }
}

TEST(StartUp, ColourTerminalModeAndPathsSurviveARestart) {
    ProgramRun r;
    r.load();
    r.engine->terminalMode.mnublackwhite_Click();
    r.engine->terminalMode.mnuTermModeOff_Click();
    r.ui().optHalcyn.select();
    r.ui().txtUploadPath.setText("c:\\halcyn.img");

    r.restart();
    EXPECT_TRUE(r.ui().mnublackwhite.checked());
    EXPECT_EQ(r.ui().txtTerminal.backColor(), (Rgb{0, 0, 0}));
    EXPECT_TRUE(r.ui().mnuTermModeOff.checked());
    EXPECT_FALSE(r.port.isOpen());
    r.ui().optHalcyn.select();
    EXPECT_EQ(r.ui().txtUploadPath.text(), "c:\\halcyn.img");
}

struct UnreadableSettings : MemorySettingsStore {
    std::optional<SettingValue> read(const std::string&, const std::string&) override {
        throw std::runtime_error("settings unreadable");
    }
};

TEST(StartUp, AFailingStepEndsTheStartUpQuietlyWithoutClaimingSuccess) {
    UnreadableSettings broken;
    ProgramRun r;
    r.engine.reset();
    r.engine = std::make_unique<Engine>(r.port, r.host, r.dialogue, broken, r.files, EngineSetup{});
    r.load();
    EXPECT_TRUE(r.ui().cboPort.entries().empty());  // the later steps did not run
    EXPECT_TRUE(r.dialogue.boxes.empty());
    r.engine->lifecycle.cmdExitButton_Click();
    EXPECT_EQ(r.host.exitCodes, std::vector<int>{6});
}

TEST(Views, ManualAndAutoSwapControlsAndTheAutoViewRechecksRestartUnlessNoReboot) {
    for (const char* commandLine : {"c:\\app.img", "c:\\app.img -noreboot"}) {
        ProgramRun r(commandLine);
        r.files.put("c:\\app.img", "x");
        r.load();
        r.engine->lifecycle.cmdExitButton_GotFocus();
        r.ui().chkRestarttoApp.setChecked(false);
        r.engine->lifecycle.mnuManual_Click();
        EXPECT_EQ(r.ui().frmKelvane.caption(), "Kelvane (Manual Mode)");
        EXPECT_TRUE(r.ui().mnuManual.checked() && !r.ui().mnuAuto.checked());
        EXPECT_TRUE(r.loaderButtonsShown());
        EXPECT_FALSE(r.checksumsShown());
        r.engine->lifecycle.mnuAuto_Click();
        EXPECT_FALSE(r.loaderButtonsShown());
        EXPECT_TRUE(r.checksumsShown());
        EXPECT_EQ(r.ui().chkRestarttoApp.checked(), !r.st().noReboot) << commandLine;
    }
}

TEST(Closing, EveryClosingPathEndsTheProcessOnceWithTheCurrentCode) {
    ProgramRun r;
    r.load();
    r.engine->lifecycle.mnuAbout_Click();
    r.dialogue.viewerOpen = true;
    r.engine->lifecycle.cmdExitButton_Click();
    EXPECT_EQ(r.host.exitCodes, std::vector<int>{6});
    EXPECT_FALSE(r.port.isOpen());
    EXPECT_FALSE(r.dialogue.aboutOpen || r.dialogue.viewerOpen);
    // A second close (the menu, a signal) finds the process already ending.
    r.unloaded = false;
    r.engine->lifecycle.mnuExit_Click();
    EXPECT_EQ(r.host.exitCodes, std::vector<int>{6});
}

TEST(Closing, AnUnattendedRunWritesItsLogOnceWhenTheWindowCloses) {
    ProgramRun r("c:\\missing.img -auto -o c:\\logs\\run.txt");
    r.load();
    r.engine->lifecycle.cmdExitButton_GotFocus();
    EXPECT_EQ(r.host.exitCodes, std::vector<int>{7});
    const std::string log = r.files.get("c:\\logs\\run.txt");
    EXPECT_EQ(log.rfind("AppCode Upload Started: 10:11  06/12/2026\r\n", 0), 0u) << log;
    EXPECT_NE(log.find("Error # 7"), std::string::npos) << log;
    EXPECT_EQ(log.find("AppCode Upload Done:"), log.rfind("AppCode Upload Done:"));
}

}  // namespace
