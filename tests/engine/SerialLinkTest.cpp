#include <gtest/gtest.h>

#include "EngineHarness.h"

namespace {

TEST(Selectors, OnlyExactTextsApplyEverythingElseIsPutBack) {
    ScriptedEngine e;
    e.ui().cboPort.setText("Com 3");
    EXPECT_EQ(e.store.text(Settings::SettingsKey, "PortNumber"), "3");
    for (const char* typed : {"COM3", "C"}) {
        e.ui().cboPort.setText(typed);
        EXPECT_TRUE(e.ui().cboPort.text() == "Com 3" && e.port.isOpen() && e.port.portNumber() == 3) << typed;
    }
    e.ui().cboBaud.setText("38400");
    const int opens = e.port.opens;
    e.ui().cboBaud.setText("4800");
    EXPECT_EQ(e.ui().cboBaud.text() + " " + e.port.settings(), "38400 38400,n,8,1");
    EXPECT_GT(e.port.opens, opens);  // the current settings were applied again
    e.ui().cboPort.setText("None");
    EXPECT_EQ(e.st().portNumber, 3);  // remembered for when a port is chosen again
}

TEST(ReceiveHandler, LoneHighBitDotBecomesADotOtherBytesPassUnchanged) {
    ScriptedEngine e;
    e.st().outputToFile = true;  // a log, but no upload yet: what arrives is not logged
    const std::string kept("\xAE" "a\xAE\0\xFF", 5);
    e.port.reply("\xAE");
    e.port.reply(kept, 2000);
    e.runFor(10000);
    EXPECT_EQ(e.st().receiveBuffer, "." + kept);
    EXPECT_EQ(e.ui().txtTerminal.text(), e.st().receiveBuffer);

    // During a transfer: one byte per event, to the pane and the log (but with -v), not
    // the buffer.
    e.uploading();
    e.st().transferActive = true;
    e.port.reply("\xAE\r\xAE\r");
    e.runFor(10000);
    e.st().noTerminalLog = true;
    e.port.reply("v");
    e.runFor(10000);
    EXPECT_EQ(e.st().logText, ".\r.\r");
    EXPECT_EQ(e.st().receiveBuffer, "." + kept);
    EXPECT_EQ(e.ui().txtTerminal.text(), "." + kept + ".\r.\rv");
}

TEST(ReceiveHandler, AFullPaneDropsItsOldest399AndTheBufferKeepsOnlyWhatTheTrimmingEventBrought) {
    ScriptedEngine e;
    std::string full(6000, 'p');
    full[399] = 'K';
    e.ui().txtTerminal.setText(full);
    e.st().receiveBuffer = "IOS>";
    e.port.reply("new");
    e.runFor(10000);
    EXPECT_EQ(e.ui().txtTerminal.text(), "K" + std::string(5600, 'p') + "new");
    EXPECT_EQ(e.st().receiveBuffer, "new");
    EXPECT_EQ(e.engine->channel.TrimmedChars(), 399);

    // One read that brings more than the pane holds leaves only its newest characters,
    // however often it happens; the trimmed count keeps the pane's positions.
    std::string flood;
    for (int i = 0; i < 20000; ++i) flood += char('a' + i % 26);
    for (int i = 0; i < 3; ++i) {
        e.port.reply(flood);
        e.runFor(10000);
        EXPECT_EQ(e.ui().txtTerminal.text(), flood.substr(flood.size() - CommandChannel::PaneLimit));
    }
    // Everything that ever reached the pane but what it holds now.
    EXPECT_EQ(e.engine->channel.TrimmedChars(), int64_t(full.size() + 3 + 3 * flood.size() - CommandChannel::PaneLimit));
    EXPECT_EQ(e.st().receiveBuffer, flood);

    // A line that went away presses Stop and clears the pane and the buffer.
    e.st().receiveBuffer = "IOS>";
    e.port.failReads = true;
    e.port.reply("lost");
    e.runFor(10000);
    EXPECT_TRUE(e.st().commFailed && e.st().stopRequested && e.ui().Timer1.enabled());
    EXPECT_EQ(e.ui().txtTerminal.text() + e.st().receiveBuffer, "");
}

TEST(SendText, TerminalOffOpensThePortForAboutATenthOfASecond) {
    ScriptedEngine e(false);
    e.answer({{"X\r\n", "late"}}, 300000);
    std::string text = "X\r\n";
    EXPECT_NEAR(e.tookUs([&] { e.engine->channel.SendText(text); }), 100000, 20000);
    EXPECT_FALSE(e.port.isOpen() || e.st().termMode);
    e.runFor(500000);
    EXPECT_EQ(e.sent() + "|" + e.st().receiveBuffer, "X\r\n|");
}

TEST(TerminalKeys, EachKeyIsOneByteOnTheLineAndNothingGoesOutWithoutAPortOrDuringAnUpload) {
    ScriptedEngine e;
    // No byte stands for the last two.
    for (int k : {int('I'), 3, 0xAE, 0xFF, 0x141, -1}) e.engine->terminal.txtTerminal_KeyPress(static_cast<int16_t>(k));
    e.ui().cboPort.setText("None");
    EXPECT_NO_THROW(e.engine->terminal.txtTerminal_KeyPress('n'));
    e.ui().cboPort.setText("Com 1");
    e.uploading();
    e.engine->terminal.txtTerminal_KeyPress('x');
    EXPECT_EQ(e.sent(), "I\x03\xAE\xFF");
    EXPECT_EQ(e.dialogue.shown, "");
}

TEST(Waits, MarksRoundHalvesToEvenAndPromptWaitsEndAsTheyShould) {
    ScriptedEngine e;
    for (auto [us, whole] : {std::pair{36000500000LL, 36000}, {36001500000LL, 36002}}) {
        e.host.setNowUs(us);
        e.engine->channel.MarkTime();
        EXPECT_EQ(e.st().timerStart, whole);
    }

    for (const char* end : {"IOS>", "IOS> ", "OS> ", "x", "01KwgTHs837mRyuLdXsZBov64 :"}) {
        e.st().receiveBuffer = std::string("..") + end;
        EXPECT_EQ(e.tookUs([&] { e.engine->channel.WaitForPrompt(); }), 0) << end;
    }
    e.st().receiveBuffer = "IOS";  // nothing yet: until a little over the marked second
    EXPECT_NEAR(e.tookUs([&] { e.engine->channel.MarkTime(); e.engine->channel.WaitForPrompt(); }), 1500000, 20000);
}

TEST(ErrorReporter, EachFailureHasItsMessageAndExitCodeAndAPortFailureLeavesNoPort) {
    const std::string FileMessage = "Error # 7\r\nFile Not found\r\nCheck File to Upload\r\nPath Information ";
    const std::string noCom = "Error # 3\r\nNo Com ";
    const std::string inUse = "Error # 3\r\nThe Serial port is in use\r\nby another Program or Device\r\n"
                              "Shut Down the Offending Program\r\n or Change the Com Port Settings";
    // The host's reason follows the fixed lines as a line of its own.
    const std::string reason = "/dev/ttyS1: why";
    struct Row {
        int number;
        int16_t portNumber;
        bool autoMode;
        std::string fixedLines;
        int exitCode;
        const char* logged = nullptr;  // when the log keeps less than the message
    };
    const Row cases[] = {
        {52, 2, false, FileMessage, 7}, {53, 2, false, FileMessage, 7}, {75, 2, false, FileMessage, 7},
        {76, 2, false, FileMessage, 7}, {53, 2, true, FileMessage, 7},  // an unattended run only logs it
        {8002, 1, false, noCom + "1  Found, \r\nTry setting to Com 2", 3},
        {8002, 2, false, noCom + "2  Found, \r\nTry setting to Com 1", 3},
        {8002, 3, false, noCom + "3 Found, \r\nTry setting to another Port", 3},
        {8002, 0, false, "", 3},  // no port at all: no message, yet no port either
        {8005, 2, false, inUse, 3},
        // Any other failure is unexpected; the manual log keeps its first line only.
        {380, 2, false, "Error # 380\r\nUnexpected Error", 6, "Error # 380"},
        {-2147467259, 2, true, "Error # -2147467259\r\nUnexpected Error", 6},
    };
    for (const Row& row : cases) {
        SCOPED_TRACE(std::to_string(row.number) + " on " + std::to_string(row.portNumber));
        // A failure on an open Com 2 with a log file.
        EngineHarness r;
        r.ui().cboPort.setText("Com 2");
        r.port.open();
        r.st().portNumber = row.portNumber;
        r.st().outputToFile = true;
        r.st().autoMode = row.autoMode;
        int codeAtBox = -1;
        r.dialogue.onBox = [&] { codeAtBox = r.st().appExitCode; };
        r.engine->errors.ReportError(row.number, reason);
        const std::string message = row.fixedLines.empty() ? "" : row.fixedLines + "\r\n" + reason;
        const std::string logged = row.logged ? row.logged : message;
        const bool shown = !row.autoMode && !message.empty();
        EXPECT_EQ(r.outcome(), (shown ? "[Kelvane: " + message + "]" : "") + " log:" +
                                   (logged.empty() ? "" : "\r\n" + logged) + " exit:" + std::to_string(row.exitCode));
        EXPECT_EQ(codeAtBox, shown ? 0 : -1);  // the exit code changes only after the box
        // A port failure leaves no port: "None", in the no-port look, closed.
        EXPECT_EQ(r.ui().cboPort.text() + (r.ui().cboPort.look() == Look::NoPort ? " look" : "") +
                      (r.port.isOpen() ? " open" : ""), row.exitCode == 3 ? "None look" : "Com 2 open");
    }
}

}  // namespace
