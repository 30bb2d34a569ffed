#include <gtest/gtest.h>

#include "ScriptedLine.h"

namespace {

const std::string Word = "01KwgTHs837RyuLdXsZBov64";
const std::string WordM = "01KwgTHs837mRyuLdXsZBov64";

TEST(KeyChallenge, BothFormsAreAnsweredInTurnEachFollowedByASecond) {
    ScriptedEngine e;
    e.line.answer({{WordM, "\r\n" + Word + ": "}, {Word, "\r\nIOS>"}});
    e.st().receiveBuffer = WordM + " :";
    EXPECT_NEAR(e.timed([&] { e.engine->keys.AnswerKeyChallenge(); }), 2.0, 0.05);
    EXPECT_EQ(e.line.written, WordM + Word);
}

TEST(BaudNegotiation, LateKeyPromptGoesUnansweredAndSilenceRunsEveryWait) {
    ScriptedEngine e;
    e.uploading();
    e.line.answer({{"ey", "key: "}}, 2000000);
    e.st().receiveBuffer = "OS> ";
    EXPECT_NEAR(e.timed([&] { e.engine->keys.NegotiateIosBaud(); }), 1 + 6 + 2 + 7, 2.0);
    EXPECT_EQ(e.line.written, "eySy57600\r\nb");
    EXPECT_EQ(e.line.settings + " " + e.st().iosBaud, "57600,n,8,1 57600");
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
    EXPECT_NEAR(e.timed([&] { e.engine->unlockErase.UnlockAndEraseAppBlock(); }), 3 + 6, 1.0);
    EXPECT_EQ(seen, "oise");
    EXPECT_EQ(e.line.written, "xpy");
}

TEST(ChecksumReadback, FindsTheMarkerInAnyCaseAndCutsTheChecksum) {
    ScriptedEngine e;
    const std::pair<std::string, std::string> cases[] = {
        {"x\r\nCHECKSUM: 0A1b2C3d\r\nIOS>", "0A1b2C3d"}, {"checksum: 89abcdef\r\n", "89abcdef"},
        {"CHECKSUM:12345678\r\n", "2345678"},            {"CHECKSUM: 123456789AB\r\n", "12345678"},
        {"CHECKSUM: 11\r\nCHECKSUM: 22\r\n", "11"},      {"CHECKSUM: ", ""}, {"no marker", "before"},
    };
    for (const auto& [pane, checksum] : cases) {
        e.ui().txtAppCheckSum.setText("before");
        e.ui().txtTerminal.setText(pane);
        e.engine->readback.ReadBackChecksum();
        EXPECT_EQ(e.ui().txtAppCheckSum.text(), checksum) << pane;
    }
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

// A loader that answers chunk k with answer(k); by default 0xAE and CR.
struct Transfer : ScriptedEngine {
    explicit Transfer(size_t size, std::function<std::string(size_t)> answer = [](size_t) { return "\xAE\r"; }) {
        uploading();
        for (size_t i = 0; i < size; ++i) st().imageText += char(i * 7 + i / 1024);
        line.onWrite = [this, answer](const std::string& chunk) {
            sizes.push_back(chunk.size());
            line.reply(answer(sizes.size() - 1));
        };
        took = timed([&] { engine->transfer.TransferImage(); });
    }
    std::vector<size_t> sizes;
    double took = 0;
};

TEST(ImageTransfer, ChunksOf1024AndOnlyChunksWithMoreThan1026LeftAreTested) {
    Transfer two(1025);
    EXPECT_EQ(two.sizes, (std::vector<size_t>{1024, 1}));
    EXPECT_TRUE(two.line.written == two.st().imageText);

    Transfer three(3000, [](size_t k) { return k == 1 ? "" : "\xAE\r"; });
    EXPECT_EQ(three.sizes, (std::vector<size_t>{1024, 1024, 952}));
    EXPECT_FALSE(three.st().commFailed || three.st().stopRequested);
    EXPECT_EQ(three.ui().ProgressBar1.value(), 2049);
}

TEST(ImageTransfer, MissingAcknowledgementOrAPaneThatDidNotGrowFails) {
    Transfer silent(5000, [](size_t) { return ""; });
    EXPECT_EQ(silent.sizes.size(), 1u);
    EXPECT_TRUE(silent.st().commFailed && silent.st().stopRequested);
    EXPECT_NEAR(silent.took, 3.0, 0.6);

    // The stray dots stand where the next acknowledgement is looked for.
    Transfer stray(5000, [](size_t k) { return k == 0 ? "\xAE\r.." : ""; });
    EXPECT_EQ(stray.sizes.size(), 2u);
    EXPECT_TRUE(stray.st().commFailed && stray.st().stopRequested);
}

TEST(ImageTransfer, LongImageSurvivesThePaneTrims) {
    // 3300 acknowledged chunks: the pane passes its limit, and is trimmed, halfway.
    Transfer t(3300 * 1024 + 100);
    EXPECT_FALSE(t.st().commFailed);
    EXPECT_EQ(t.sizes.size(), 3301u);
    EXPECT_GT(t.engine->channel.TrimmedChars(), 0);
}

}  // namespace
