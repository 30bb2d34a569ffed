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

TEST(ImageTransfer, EveryChunksAcknowledgementIsAwaitedAndTestedTheLastOnesToo) {
    const auto every = [](size_t) { return "\xAE\r"; };
    const auto allBut = [](size_t missing) {
        return [missing](size_t k) { return k == missing ? "" : "\xAE\r"; };
    };
    struct Row {
        const char* name;
        size_t size;
        std::function<std::string(size_t)> answer;
        std::vector<size_t> sent;
        bool failed;
    };
    const Row rows[] = {
        {"all answered", 1025, every, {1024, 1}, false},
        {"a middle chunk unanswered", 3000, allBut(1), {1024, 1024}, true},
        {"the short last chunk unanswered", 3000, allBut(2), {1024, 1024, 952}, true},
        {"the full last chunk unanswered", 2048, allBut(1), {1024, 1024}, true},
        {"nothing answered", 5000, [](size_t) { return ""; }, {1024}, true},
        // Stray dots stand where the next acknowledgement is looked for, but the pane
        // did not grow.
        {"stray dots", 5000, [](size_t k) { return k == 0 ? "\xAE\r.." : ""; }, {1024, 1024}, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Transfer t(row.size, row.answer);
        EXPECT_EQ(t.sizes, row.sent);
        EXPECT_EQ(t.line.written, t.st().imageText.substr(0, t.line.written.size()));
        EXPECT_EQ(t.st().commFailed, row.failed);
        EXPECT_EQ(t.st().stopRequested, row.failed);
        EXPECT_EQ(t.ui().ProgressBar1.value(), int(row.sent.size() - 1) * 1024 + 1);  // the last chunk's start
        // A missing acknowledgement costs its 3 s, no more.
        EXPECT_LT(t.took, row.failed ? 3.6 : 0.5);
    }
}

TEST(ImageTransfer, LongImageSurvivesThePaneTrims) {
    // 3300 acknowledged chunks: the pane passes its limit, and is trimmed, halfway.
    Transfer t(3300 * 1024 + 100);
    EXPECT_FALSE(t.st().commFailed);
    EXPECT_EQ(t.sizes.size(), 3301u);
    EXPECT_GT(t.engine->channel.TrimmedChars(), 0);
}

}  // namespace
