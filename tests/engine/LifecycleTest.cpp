#include <gtest/gtest.h>

#include "EngineHarness.h"

namespace {

const std::string Startup = "Software\\ZQ Technologies\\Utility\\Kelvane\\STARTUP";

// A harness whose engine can be built again on the same settings, files and port,
// as the program's next run would find them.
struct ProgramRun : EngineHarness {
    explicit ProgramRun(std::string commandLine = {}) : EngineHarness({}, std::move(commandLine)) {}
    void restart() {
        engine.reset();  // the old engine lets go of the port and timers first
        engine = std::make_unique<Engine>(port, host, dialogue, store, files, EngineSetup{});
        load();
    }
    bool loaderButtonsShown() { return ui().cmdSendIOSButton.visible() && ui().cmdEraseJournalButton.visible(); }
    bool checksumsShown() { return ui().txtFileChecksum.visible() && ui().lblAppChecksum.visible(); }
};

TEST(MakerOnly, TheSetFollowsTheStoredRuleThenTheDevelopmentFolderAndShiftF1TogglesIt) {
    const int F1 = MakerOnlyControls::KeyF1;
    // Stored rule (none: the default), development folder present, set shown.
    const std::tuple<const char*, bool, bool> cases[] = {
        {nullptr, false, false}, {nullptr, true, true}, {"0", true, false}, {"1", false, true}, {"7", false, false}};
    for (const auto& [rule, folder, shown] : cases) {
        SCOPED_TRACE(std::string(rule ? rule : "none") + (folder ? " with" : " without") + " the folder");
        ProgramRun r;
        if (folder) r.files.addFolder("M:\\Development");
        if (rule) r.store.values[{Startup, "ShowZqOnlyObjects"}] = SettingValue::fromText(rule);
        r.store.values[{Startup, "TessinFilePath"}] = SettingValue::fromText("c:\\tessin.img");
        r.store.values[{Startup, "HalcynFilePath"}] = SettingValue::fromText("c:\\halcyn.img");
        r.load();
        Controls& ui = r.ui();
        EXPECT_EQ(ui.cmdCheckSumtxtButton.visible() && ui.FrameSwitcherType.visible(), shown);
        EXPECT_EQ(ui.txtUploadPath.text(), shown ? "c:\\tessin.img" : "");
        EXPECT_EQ(r.st().switcherType, "Tessin");

        const auto key = [&](int code, bool shift, bool ctrlAlt) {
            r.engine->makerOnly.txtTerminal_KeyDown(code, shift, ctrlAlt, ctrlAlt);
        };
        const auto storedRule = [&] { return r.store.text(Startup, "ShowZqOnlyObjects"); };
        for (auto [code, shift, ctrl] : {std::tuple{F1, false, false}, {F1, false, true}, {F1 + 1, true, false}})
            key(code, shift, ctrl);
        EXPECT_EQ(storedRule(), rule ? rule : "");  // not Shift+F1: nothing happens

        // Shift+F1, with Ctrl and Alt or without, shows a hidden set with the second model
        // and hides a shown one, clearing every model but Halcyn; the rule is stored.
        ui.optVarda.select();
        key(F1, true, shown);
        EXPECT_EQ(storedRule(), shown ? "0" : "1");
        EXPECT_EQ(ui.cmdConfirmationKey.visible(), !shown);
        EXPECT_EQ(std::pair(ui.optTessin.checked(), ui.optVarda.checked()), std::pair(!shown, false));
        EXPECT_EQ(ui.txtUploadPath.text(), shown ? "" : "c:\\tessin.img");
        EXPECT_EQ(r.store.text(Startup, "TessinFilePath"), "c:\\tessin.img");
        ui.optHalcyn.select();
        key(F1, true, false);
        EXPECT_EQ(ui.optHalcyn.checked(), !shown);
        // Emptied or filled by the toggle, the box stores nothing: the remembered files stay.
        EXPECT_EQ(r.store.text(Startup, "HalcynFilePath"), "c:\\halcyn.img");
    }

    // A file named on the command line stays in the path box when the set is hidden.
    ProgramRun named("c:\\app.img");
    named.files.addFolder("M:\\Development");
    named.files.put("c:\\app.img", "x");
    named.load();
    named.engine->lifecycle.cmdExitButton_GotFocus();
    named.engine->makerOnly.txtTerminal_KeyDown(F1, true, false, false);
    EXPECT_FALSE(named.ui().cmdConfirmationKey.visible());
    EXPECT_EQ(named.ui().txtUploadPath.text(), "c:\\app.img");
}

TEST(StartUp, ColourTerminalModeAndPathsSurviveARestartOnlyTheVersionIsStoredInNumbersAndAFailingStepEndsItQuietly) {
    ProgramRun r;
    r.load();
    r.engine->terminalMode.mnublackwhite_Click();
    r.engine->terminalMode.mnuTermModeOn_Click();
    EXPECT_EQ(r.store.text(Startup, "trmOnOff"), "True");
    r.engine->terminalMode.mnuTermModeOff_Click();
    EXPECT_EQ(r.store.text(Startup, "trmOnOff"), "False");
    r.ui().optHalcyn.select();
    r.ui().txtUploadPath.setText("c:\\halcyn.img");
    const std::string program = "Software\\ZQ Technologies\\Utility\\Kelvane", version = program + "\\Version";
    for (const auto& [key, value] : r.store.values)
        EXPECT_EQ(value.type, key.first == version ? SettingValue::Type::Number : SettingValue::Type::Text)
            << key.second;
    for (const auto& [name, number] : {std::pair<std::string, int>{"major", 2}, {"minor", 2}, {"patch", 0}})
        EXPECT_EQ(r.store.values.at({version, name}).number, number) << name;
    EXPECT_EQ(r.store.text(program, "path"), "/opt/kelvane");

    r.restart();
    EXPECT_TRUE(r.ui().mnublackwhite.checked() && r.ui().mnuTermModeOff.checked());
    EXPECT_EQ(r.ui().txtTerminal.backColor(), (Rgb{0, 0, 0}));
    EXPECT_FALSE(r.port.isOpen());
    r.ui().optHalcyn.select();
    EXPECT_EQ(r.ui().txtUploadPath.text(), "c:\\halcyn.img");
    // A scheme number beyond the three ticks none and leaves the pane's colours as they are.
    for (const char* scheme : {"3", "-1"}) {
        r.store.values[{Startup, "trmcolor"}] = SettingValue::fromText(scheme);
        r.restart();
        EXPECT_FALSE(r.ui().mnudefault.checked() || r.ui().mnubluewhite.checked() || r.ui().mnublackwhite.checked());
        EXPECT_FALSE(r.ui().txtTerminal.backColor() || r.ui().txtTerminal.foreColor()) << scheme;
    }

    // Settings that cannot be read end the start-up without claiming success.
    r.store.unreadable = true;
    r.restart();
    EXPECT_TRUE(r.ui().cboPort.entries().empty());  // the later steps did not run
    EXPECT_EQ(r.dialogue.shown, "");
    r.engine->lifecycle.cmdExitButton_Click();
    EXPECT_EQ(r.host.exitCodes, std::vector<int>{6});
}

TEST(Settings, StoredValuesConvertOrFallBackToTheirDefaults) {
    const auto text = SettingValue::fromText;
    const auto number = SettingValue::fromNumber;
    // Value name, what is stored, the field's value after loading.
    const std::tuple<std::string, SettingValue, int> cases[] = {
        {"PortNumber", text(" 7 "), 7},      {"PortNumber", text("-2"), -2},      {"PortNumber", text(""), 1},
        {"PortNumber", text("3x"), 1},       {"PortNumber", text("70000"), 1},    {"PortNumber", number(6), 6},
        {"PortNumber", text("99999999999999999999"), 1},                          {"ShowZqOnlyObjects", text("-"), 3},
        {"trmOnOff", text("False"), 0},      {"trmOnOff", text("0"), 0},          {"trmOnOff", text("maybe"), 1},
        {"trmOnOff", number(0), 0},          {"trmOnOff", text("-1"), 1},         {"PortNumber", text("-70000"), 1},
    };
    for (const auto& [name, stored, expected] : cases) {
        EngineHarness h;
        h.store.values[{Startup, name}] = stored;
        h.engine->settings.LoadSettings();
        const int actual = name == "PortNumber" ? h.st().portNumber
                           : name == "trmOnOff" ? int(h.st().termMode) : h.st().showZqOnlyObjects;
        EXPECT_EQ(actual, expected) << name << " = \"" << stored.text << "\"";
    }
}

TEST(Views, ManualAndAutoSwapControlsAndTheAutoViewRechecksRestartUnlessNoReboot) {
    for (bool noReboot : {false, true}) {
        ProgramRun r;
        r.load();
        r.st().noReboot = noReboot;  // as -noreboot leaves it
        r.ui().chkRestarttoApp.setChecked(false);
        r.engine->lifecycle.mnuManual_Click();
        EXPECT_EQ(r.ui().frmKelvane.caption(), "Kelvane (Manual Mode)");
        EXPECT_TRUE(r.ui().mnuManual.checked() && !r.ui().mnuAuto.checked() && r.loaderButtonsShown() &&
                    !r.checksumsShown());
        r.engine->lifecycle.mnuAuto_Click();
        EXPECT_EQ(r.ui().frmKelvane.caption(), "Kelvane (Auto Mode)");
        EXPECT_TRUE(!r.loaderButtonsShown() && r.checksumsShown());
        EXPECT_EQ(r.ui().chkRestarttoApp.checked(), !noReboot);
    }
}

TEST(Closing, AnUnattendedRunWritesItsLogOnceWhenTheWindowCloses) {
    enum Fault { None, Missing, Busy };
    const std::string start = "AppCode Upload Started: 10:11  06/12/2026\r\n";
    // Options, port 4's fault, exit code, the port then, what the log starts with and holds.
    const std::tuple<const char*, Fault, int, const char*, std::string, std::string> cases[] = {
        // The upload runs through Com 1 and finds no image file, before the device is spoken to.
        {"", None, 5, "Com 1", start + "\r\nAppcode path, filename and version: c:\\app.img\r\n\r\n",
         "\r\nError # 5\r\nNot a valid Appcode file"},
        // The start-up's port failure stays after the start line.
        {" -s4", Missing, 3, "None", start + "\r\nError # 3\r\nNo Com 4 Found, \r\nTry setting to another Port",
         "Invalid serial command line parameter"},
        {" -s4", Busy, 3, "None", start + "\r\nError # 3\r\nThe Serial port is in use\r\n",
         "Invalid serial command line parameter"},
    };
    for (const auto& [options, fault, exitCode, port, head, held] : cases) {
        ProgramRun r(std::string("c:\\app.img -auto -o c:\\logs\\run.txt") + options);
        r.files.put("c:\\app.img", "// ZQ Encoded Image Fil\r\n");
        r.store.values[{Startup, "PortNumber"}] = SettingValue::fromText("4");
        if (fault) (fault == Busy ? r.port.busyPorts : r.port.missingPorts).insert(4);
        r.load();
        r.engine->lifecycle.cmdExitButton_GotFocus();
        EXPECT_EQ(r.host.exitCodes, std::vector<int>{exitCode});
        EXPECT_EQ(r.ui().cboPort.text(), port);
        EXPECT_EQ(r.store.text(Startup, "PortNumber"), "4");  // the window's port stays stored
        EXPECT_TRUE(r.port.writes.empty());
        const std::string log = r.files.get("c:\\logs\\run.txt");
        EXPECT_EQ(log.rfind(head, 0), 0u) << log;
        EXPECT_NE(log.find(held), std::string::npos) << log;
        EXPECT_EQ(log.find("AppCode Upload Done:"), log.rfind("AppCode Upload Done:"));
    }
}

TEST(OutputLog, EntriesAreJoinedByCrLfTheFileIsClosedByTheEndLineAndAFailureIsReportedOnce) {
    EngineHarness h;
    h.st().logText = "Started\r\n";
    h.engine->log.AppendLog("first");
    h.engine->log.AppendLog(std::string("\0\xAE\xFF", 3));
    h.st().outputFile = "c:\\Kelvane.txt";
    h.engine->log.WriteLogFile();
    EXPECT_EQ(h.files.get("c:\\Kelvane.txt"), "Started\r\n\r\nfirst\r\n" + std::string("\0\xAE\xFF", 3) +
                                                  "\r\n\r\nAppCode Upload Done: 10:11  06/12/2026\r\n\r\n\r\n");
    EXPECT_TRUE(h.host.warnings.empty());

    h.files.readOnly = true;
    h.st().appExitCode = 2;
    h.st().outputFile = "\\locked\\run";
    h.engine->log.WriteLogFile();
    EXPECT_EQ(h.host.warnings,
              std::vector<std::string>{"kelvane: the log file C:\\locked\\run.txt could not be written: read-only"});
    EXPECT_EQ(h.st().appExitCode, 2);
}

TEST(OutputLog, NamesAreNormalisedForEachPathStyleAndMissingFoldersMadeOutermostFirstButNeverADriveRoot) {
    // Path style, the name given, the file written, the folders made for it (C:\a exists).
    const std::tuple<bool, std::string, std::string, std::vector<std::string>> cases[] = {
        {false, "  run.log  ", "C:\\run.log", {}},
        {false, "\\logs\\run", "C:\\logs\\run.txt", {"C:\\logs"}},
        {false, "\\\\server\\share\\run.txt", "C:\\server\\share\\run.txt", {"C:\\server", "C:\\server\\share"}},
        {false, "d:run.txt", "d:run.txt", {}},
        {false, "logs.d\\run", "logs.d\\run.txt", {"logs.d"}},
        {false, "/tmp/run", "C:\\/tmp/run.txt", {}},  // "/" is no separator there
        {false, "C:\\a\\b\\c\\run.txt", "C:\\a\\b\\c\\run.txt", {"C:\\a\\b", "C:\\a\\b\\c"}},
        {false, "ab\\run.txt", "ab\\run.txt", {}},
        {false, "d:sub\\run.txt", "d:sub\\run.txt", {"d:sub"}},
        {true, "/tmp/Logs.d/Run", "/tmp/Logs.d/Run.txt", {"/tmp", "/tmp/Logs.d"}},
        {true, " /tmp/Run.LOG ", "/tmp/Run.LOG", {"/tmp"}},
        {true, "Run", "C:\\Run.txt", {}},
        {true, "logs/run", "logs/run.txt", {"logs"}},
        {true, "c:\\Kelvane.txt", "c:\\Kelvane.txt", {}},
    };
    for (const auto& [posix, given, written, created] : cases) {
        EngineHarness h;
        h.files.posix = posix;
        h.files.addFolder("C:\\a");
        h.st().outputFile = given;
        h.engine->log.WriteLogFile();
        h.engine->log.WriteLogFile();  // the stored name is final
        EXPECT_EQ(h.st().outputFile, written) << given;
        EXPECT_NE(h.files.lookup(written), "") << given;
        EXPECT_EQ(h.files.created, created) << given;
    }
}

}  // namespace
