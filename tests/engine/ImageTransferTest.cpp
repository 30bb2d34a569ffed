#include <gtest/gtest.h>

#include "ScriptedLine.h"

namespace {

// A loader that answers chunk k with answer(k); by default 0xAE and CR.
struct Transfer : ScriptedEngine {
    explicit Transfer(size_t size, std::function<std::string(size_t)> answer = [](size_t) { return "\xAE\r"; }) {
        uploading();
        for (size_t i = 0; i < size; ++i) st().imageText += char(i * 7 + i / 1024);
        line.onWrite = [this, answer](const std::string& chunk) {
            sizes.push_back(chunk.size());
            line.reply(answer(sizes.size() - 1));
        };
        engine->transfer.TransferImage();
    }
    bool failed() { return st().commFailed && st().stopRequested; }
    std::vector<size_t> sizes;
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
    EXPECT_TRUE(silent.failed());
    EXPECT_NEAR(silent.seconds() - 36000, 3.0, 0.6);

    // The stray dots stand where the next acknowledgement is looked for.
    Transfer stray(5000, [](size_t k) { return k == 0 ? "\xAE\r.." : ""; });
    EXPECT_EQ(stray.sizes.size(), 2u);
    EXPECT_TRUE(stray.failed());
}

TEST(ImageTransfer, LongImageSurvivesThePaneTrims) {
    // 3300 acknowledged chunks: the pane passes its limit, and is trimmed, halfway.
    Transfer t(3300 * 1024 + 100);
    EXPECT_FALSE(t.st().commFailed);
    EXPECT_EQ(t.sizes.size(), 3301u);
    EXPECT_GT(t.ch().TrimmedChars(), 0);
}

}  // namespace
