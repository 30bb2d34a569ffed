#include <gtest/gtest.h>

#include "EngineHarness.h"

namespace {

const std::string Word = "01KwgTHs837RyuLdXsZBov64";
const std::string WordM = "01KwgTHs837mRyuLdXsZBov64";

TEST(Recovery, ProdsAnswersBothChallengesInTurnAndNeverRunsTwiceAtOnce) {
    ScriptedEngine e;
    e.st().transferActive = true;
    e.answer({{"\r\nX", WordM + " :"}, {WordM, "\r\n" + Word + ": "}, {Word, "\r\nIOS>"}});
    e.engine->stopAbort.cmdStopUploadButton_Click();
    // A second click does not put the recovery off; the recovery outlasts the timer's
    // period, and runs to its end within this wait.
    e.host.after(1500000, [&] { e.engine->stopAbort.cmdStopUploadButton_Click(); });
    // The timer's 2 s, then 1 s for the prod's answer, 1 s after each key, 0.5 s for the line end.
    EXPECT_NEAR(e.tookUs([&] { e.runFor(2100000); }), 5500000, 20000);
    EXPECT_EQ(e.sent(), "\r\nX" + WordM + Word + "\r\n");
    EXPECT_FALSE(e.st().transferActive || e.ui().Timer1.enabled());
}

TEST(BaudNegotiation, LateKeyPromptGoesUnansweredAndSilenceRunsEveryWait) {
    ScriptedEngine e;
    e.uploading();
    e.answer({{"ey", "key: "}}, 2000000);
    e.st().receiveBuffer = "OS> ";
    EXPECT_NEAR(e.tookUs([&] { e.engine->keys.NegotiateIosBaud(); }), (1 + 6 + 2 + 7) * 1000000, 20000);
    EXPECT_EQ(e.sent(), "eySy57600\r\nb");
    EXPECT_EQ(e.port.settings() + " " + e.st().iosBaud, "57600,n,8,1 57600");
    EXPECT_EQ(e.ui().txtTerminal.text().rfind("IOS set to 9600 resetting to 57600", 0), 0u);

    ScriptedEngine stopped;
    stopped.st().stopRequested = true;
    stopped.st().receiveBuffer = "IOS>";
    stopped.engine->keys.NegotiateIosBaud();
    EXPECT_EQ(stopped.sent() + stopped.st().iosBaud, "");
}

TEST(UnlockErase, SilentLoaderCostsBothWaitsWhileThePaneShowsTheNewestFragment) {
    ScriptedEngine e;
    e.uploading();
    e.answer({{"x", "some noise"}});
    std::string seen;
    e.host.after(1500000, [&] { seen = e.ui().txtTerminal.text(); });
    EXPECT_NEAR(e.tookUs([&] { e.engine->unlockErase.UnlockAndEraseAppBlock(); }), (3 + 6) * 1000000, 20000);
    EXPECT_EQ(seen, "oise");
    EXPECT_EQ(e.sent(), "xpy");
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

TEST(EngineeringButtons, InertDuringAnUploadTheMagicWordAnswersItsChallengeAndEraseNeverWritesToAClosedPort) {
    ScriptedEngine e;
    e.st().uploadBusy = true;
    e.st().receiveBuffer = "kept";
    e.engine->engineering.cmdEraseJournalButton_Click();
    EXPECT_EQ(e.sent() + e.st().receiveBuffer, "kept");
    e.st().uploadBusy = false;
    e.engine->engineering.cmdResetBaudButton_Click();
    e.answer({{"py", "key: "}, {Word + "\r\n", "upload mode."}});
    e.engine->engineering.cmdEraseJournalButton_Click();
    EXPECT_EQ(e.sent(), "Sy57600\rpy" + Word + "\r\n");
    // The magic word: a wake-up, half a second for the challenge, its answer and the
    // second after it, then a line end.
    e.answer({{"X", "X\r\n" + Word + ": "}, {Word, "\r\nIOS>"}});
    EXPECT_NEAR(e.tookUs([&] { e.engine->engineering.cmdMagicWordButton_Click(); }), 1500000, 20000);
    EXPECT_EQ(e.sent(), "Sy57600\rpy" + Word + "\r\nX" + Word + "\r\n");

    // Terminal off: the port has closed after the send, so the key is not written.
    ScriptedEngine off(false);
    off.answer({{"py", "key: "}}, 50000);
    off.engine->engineering.cmdEraseJournalButton_Click();
    EXPECT_EQ(off.sent(), "py");
}

TEST(ImageTransfer, EveryChunksAcknowledgementIsAwaitedAndTestedTheLastOnesToo) {
    const auto every = [](size_t) { return "\xAE\r"; };
    const auto allBut = [](size_t missing) {
        return [missing](size_t k) { return k == missing ? "" : "\xAE\r"; };
    };
    struct Row {
        const char* name;
        size_t size;
        std::function<std::string(size_t)> answer;  // the loader's answer to chunk k
        size_t fullChunks, lastChunk;               // what is sent
        bool failed;
        int64_t tookUs;
    };
    const Row rows[] = {
        // The pane passes its limit, and is trimmed, halfway; the last chunk is one byte.
        {"a long image", 3300 * 1024 + 1, every, 3300, 1, false, 0},
        // A missing acknowledgement costs its 3 s, no more.
        {"the short last chunk unanswered", 3000, allBut(2), 2, 952, true, 3000000},
        {"the full last chunk unanswered", 2048, allBut(1), 2, 0, true, 3000000},
        {"nothing answered", 5000, allBut(0), 1, 0, true, 3000000},
        // Stray dots stand where the next acknowledgement is looked for, but the pane
        // did not grow.
        {"stray dots", 5000, [](size_t k) { return k == 0 ? "\xAE\r.." : ""; }, 2, 0, true, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScriptedEngine t;
        t.uploading();
        for (size_t i = 0; i < row.size; ++i) t.st().imageText += char(i * 7 + i / 1024);
        t.ui().ProgressBar1.setMaximum(int(row.size));  // as the driver sets it
        std::vector<size_t> sizes;
        t.port.onWrite = [&](const std::string& chunk) {
            sizes.push_back(chunk.size());
            t.port.reply(row.answer(sizes.size() - 1), 1);
        };
        EXPECT_NEAR(t.tookUs([&] { t.engine->transfer.TransferImage(); }), row.tookUs, 20000);
        std::vector<size_t> sent(row.fullChunks, 1024);
        if (row.lastChunk) sent.push_back(row.lastChunk);
        EXPECT_EQ(sizes, sent);
        EXPECT_EQ(t.sent(), t.st().imageText.substr(0, t.sent().size()));
        EXPECT_EQ(t.st().commFailed, row.failed);
        EXPECT_EQ(t.st().stopRequested, row.failed);
        // The last chunk's start, full once that chunk is acknowledged.
        EXPECT_EQ(t.ui().ProgressBar1.value(), row.failed ? int(sent.size() - 1) * 1024 + 1 : int(row.size));
        EXPECT_EQ(t.engine->channel.TrimmedChars() > 0, row.fullChunks > 3000);
    }
}

}  // namespace
