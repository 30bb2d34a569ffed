#include <gtest/gtest.h>

#include "ScriptedLine.h"

namespace {

TEST(Selectors, OnlyExactTextsApplyEverythingElseIsPutBack) {
    ScriptedEngine e;
    e.ui().cboPort.setText("Com 3");
    EXPECT_EQ(e.line.port, 3);
    EXPECT_EQ(e.store.text(Settings::SettingsKey, "PortNumber"), "3");
    for (const char* typed : {"com 3", "COM3", "C"}) {
        e.ui().cboPort.setText(typed);
        EXPECT_EQ(e.ui().cboPort.text(), "Com 3") << typed;
        EXPECT_TRUE(e.line.isOpen()) << typed;
    }
    e.ui().cboBaud.setText("38400");
    const int opens = e.line.opens;
    e.ui().cboBaud.setText("4800");
    EXPECT_EQ(e.ui().cboBaud.text(), "38400");
    EXPECT_EQ(e.line.settings, "38400,n,8,1");
    EXPECT_GT(e.line.opens, opens);  // the current settings were applied again

    e.ui().cboPort.setText("None");
    EXPECT_FALSE(e.line.isOpen());
    EXPECT_EQ(e.ui().cboPort.look(), Look::NoPort);
    EXPECT_EQ(e.st().portNumber, 3);
}

TEST(ReceiveHandler, LoneHighBitDotBecomesADotOtherBytesPassUnchanged) {
    ScriptedEngine e;
    e.line.reply("\xAE");
    e.line.reply(std::string("a\xAE\0\xFF", 4), 2000);
    e.runFor(0.01);
    EXPECT_EQ(e.st().receiveBuffer, std::string(".a\xAE\0\xFF", 5));
    EXPECT_EQ(e.ui().txtTerminal.text(), e.st().receiveBuffer);

    // During a transfer: one byte per event, to the pane and the log, not the buffer.
    e.uploading();
    e.st().outputToFile = e.st().transferActive = true;
    e.line.reply("\xAE\r\xAE\r");
    e.runFor(0.01);
    EXPECT_EQ(e.st().logText, ".\r.\r");
    EXPECT_EQ(e.st().receiveBuffer, std::string(".a\xAE\0\xFF", 5));
}

TEST(ReceiveHandler, FullPaneDropsItsOldest399AndTheBuffer) {
    ScriptedEngine e;
    std::string full(6000, 'p');
    full[399] = 'K';
    e.ui().txtTerminal.setText(full);
    e.st().receiveBuffer = "IOS>";
    e.line.reply("new");
    e.runFor(0.01);
    EXPECT_EQ(e.ui().txtTerminal.text(), "K" + std::string(5600, 'p') + "new");
    EXPECT_EQ(e.st().receiveBuffer, "");
    EXPECT_EQ(e.ch().TrimmedChars(), 399);
}

TEST(ReceiveHandler, ReadFailurePressesStopAndClearsEverything) {
    ScriptedEngine e;
    e.ui().txtTerminal.setText("old");
    e.line.failNextRead = true;
    e.line.reply("lost");
    e.runFor(0.01);
    EXPECT_TRUE(e.st().commFailed && e.st().stopRequested);
    EXPECT_TRUE(e.ui().Timer1.enabled());
    EXPECT_EQ(e.ui().txtTerminal.text() + e.st().receiveBuffer, "");
}

TEST(SendText, TerminalOffOpensThePortForAboutATenthOfASecond) {
    ScriptedEngine e(false);
    e.line.answer({{"X\r\n", "late"}}, 300000);
    std::string text = "X\r\n";
    const double start = e.seconds();
    e.ch().SendText(text);
    EXPECT_EQ(e.line.written, "X\r\n");
    EXPECT_NEAR(e.seconds() - start, 0.1, 0.02);
    EXPECT_FALSE(e.line.isOpen() || e.st().termMode);
    e.runFor(0.5);
    EXPECT_EQ(e.st().receiveBuffer, "");
}

TEST(Waits, MarksRoundHalvesToEvenAndPromptWaitsEndAsTheyShould) {
    ScriptedEngine e;
    e.host.setNowUs(36000500000);
    e.ch().MarkTime();
    EXPECT_EQ(e.st().timerStart, 36000);
    e.host.setNowUs(36001500000);
    e.ch().MarkTime();
    EXPECT_EQ(e.st().timerStart, 36002);

    for (const char* end : {"IOS>", "IOS> ", "OS> ", "x", "01KwgTHs837mRyuLdXsZBov64 :"}) {
        e.st().receiveBuffer = std::string("..") + end;
        const int64_t start = e.host.nowUs();
        e.ch().WaitForPrompt();
        EXPECT_EQ(e.host.nowUs(), start) << end;
    }
    e.st().receiveBuffer = "IOS";  // nothing yet: a little over the second
    e.ch().MarkTime();
    e.ch().WaitForPrompt();
    EXPECT_NEAR(e.seconds() - 36001.5, 1.5, 0.02);
}

TEST(Recovery, ProdsAnswersTheChallengeAndNeverRunsTwiceAtOnce) {
    ScriptedEngine e;
    e.st().transferActive = true;
    e.line.answer({{"\r\nX", "01KwgTHs837RyuLdXsZBov64: "}});
    e.engine->stopAbort.cmdStopUploadButton_Click();
    e.runFor(8);  // the recovery outlasts the timer's period
    EXPECT_EQ(e.line.written, "\r\nX01KwgTHs837RyuLdXsZBov64\r\n");
    EXPECT_FALSE(e.st().transferActive || e.ui().Timer1.enabled());
}

}  // namespace
