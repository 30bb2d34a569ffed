#include <gtest/gtest.h>

#include "ScriptedLine.h"

namespace {

const std::string Word = "01KwgTHs837RyuLdXsZBov64";
const std::string WordM = "01KwgTHs837mRyuLdXsZBov64";

TEST(KeyChallenge, BothFormsAreAnsweredInTurnEachFollowedByASecond) {
    ScriptedEngine e;
    e.line.answer({{WordM, "\r\n" + Word + ": "}, {Word, "\r\nIOS>"}});
    e.st().receiveBuffer = WordM + " :";
    const double start = e.seconds();
    e.engine->keys.AnswerKeyChallenge();
    EXPECT_EQ(e.line.written, WordM + Word);
    EXPECT_NEAR(e.seconds() - start, 2.0, 0.05);

    e.line.written.clear();
    e.st().receiveBuffer = "IOS>";
    e.engine->keys.AnswerKeyChallenge();
    EXPECT_EQ(e.line.written, "");
}

TEST(BaudNegotiation, LateKeyPromptGoesUnansweredAndSilenceRunsEveryWait) {
    ScriptedEngine e;
    e.uploading();
    e.line.answer({{"ey", "key: "}}, 2000000);
    e.st().receiveBuffer = "OS> ";
    const double start = e.seconds();
    e.engine->keys.NegotiateIosBaud();
    EXPECT_EQ(e.line.written, "eySy57600\r\nb");
    EXPECT_NEAR(e.seconds() - start, 1 + 6 + 2 + 7, 2.0);
    EXPECT_EQ(e.line.settings, "57600,n,8,1");
    EXPECT_EQ(e.st().iosBaud, "57600");
    EXPECT_EQ(e.ui().txtTerminal.text().rfind("IOS set to 9600 resetting to 57600", 0), 0u);

    ScriptedEngine stopped;
    stopped.st().stopRequested = true;
    stopped.st().receiveBuffer = "IOS>";
    stopped.engine->keys.NegotiateIosBaud();
    EXPECT_EQ(stopped.line.written + stopped.st().iosBaud, "");
}

TEST(UnlockErase, SilentLoaderCostsBothWaitsWhileThePaneShowsTheNewestFragment) {
    ScriptedEngine e;
    e.uploading();
    e.line.answer({{"x", "some noise"}});
    std::string seen;
    e.host.after(1500000, [&] { seen = e.ui().txtTerminal.text(); });
    const double start = e.seconds();
    e.engine->unlockErase.UnlockAndEraseAppBlock();
    EXPECT_EQ(seen, "oise");
    EXPECT_EQ(e.line.written, "xpy");
    EXPECT_NEAR(e.seconds() - start, 3 + 6, 1.0);
}

TEST(UnlockErase, AfterTheKeyTheEraseLineEndLandsBeforeTheTransferStarts) {
    ScriptedEngine e;
    e.uploading();
    e.line.answer({{"x", "IOS>"}, {"py", "key: "}});
    e.line.onWrite = [&, answer = e.line.onWrite](const std::string& w) {
        answer(w);
        if (w == std::string("01KwgTHs837RyuLdXsZBov64\r\n")) {
            e.line.reply("Erased, upload mode.", 2000);
            e.line.reply("\r\n", 40000);  // a paced line: the line end comes a little later
        }
    };
    e.engine->unlockErase.UnlockAndEraseAppBlock();
    const std::string pane = e.ui().txtTerminal.text();
    ASSERT_GE(pane.size(), 7u);
    EXPECT_EQ(pane.substr(pane.size() - 7), "mode.\r\n");
}

TEST(ChecksumReadback, FindsTheMarkerInAnyCaseAndCutsTheChecksum) {
    ScriptedEngine e;
    auto readBack = [&](const std::string& pane) {
        e.ui().txtAppCheckSum.setText("before");
        e.ui().txtTerminal.setText(pane);
        e.engine->readback.ReadBackChecksum();
        return e.ui().txtAppCheckSum.text();
    };
    EXPECT_EQ(readBack("x\r\nCHECKSUM: 0A1b2C3d\r\nIOS>"), "0A1b2C3d");
    EXPECT_EQ(readBack("checksum: 89abcdef\r\n"), "89abcdef");
    EXPECT_EQ(readBack("CHECKSUM:12345678\r\n"), "2345678");
    EXPECT_EQ(readBack("CHECKSUM: 123456789AB\r\n"), "12345678");
    EXPECT_EQ(readBack("CHECKSUM: 11\r\nCHECKSUM: 22\r\n"), "11");
    EXPECT_EQ(readBack("CHECKSUM: "), "");
    EXPECT_EQ(readBack("no marker"), "before");
}

TEST(RestartToApp, WithoutEchoGoesTo9600AfterASecondThenWaitsForReady) {
    ScriptedEngine e;
    e.uploading();
    e.ui().cboBaud.setText("57600");
    e.ui().chkRestarttoApp.setChecked(true);
    const double start = e.seconds();
    e.engine->readback.RestartToApp();
    EXPECT_EQ(e.line.written, "b");
    EXPECT_EQ(e.line.settings, "9600,n,8,1");
    EXPECT_NEAR(e.seconds() - start, 1 + 10, 1.0);
}

TEST(EngineeringButtons, InertDuringAnUploadAndEraseNeverWritesToAClosedPort) {
    ScriptedEngine e;
    e.st().uploadBusy = true;
    e.st().receiveBuffer = "kept";
    e.engine->engineering.cmdEraseJournalButton_Click();
    EXPECT_EQ(e.line.written + e.st().receiveBuffer, "kept");
    e.st().uploadBusy = false;
    e.engine->engineering.cmdResetBaudButton_Click();
    e.line.answer({{"py", "key: "}, {Word + "\r\n", "upload mode."}});
    e.engine->engineering.cmdEraseJournalButton_Click();
    EXPECT_EQ(e.line.written, "Sy57600\rpy" + Word + "\r\n");

    // Terminal off: the port has closed after the send, so the key is not written.
    ScriptedEngine off(false);
    off.line.answer({{"py", "key: "}}, 50000);
    off.engine->engineering.cmdEraseJournalButton_Click();
    EXPECT_EQ(off.line.written, "py");
}

}  // namespace
