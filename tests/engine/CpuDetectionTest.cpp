#include <gtest/gtest.h>

#include "EngineHarness.h"
#include "app/Text.h"
#include "ios/LoaderTexts.h"

namespace {

// One probe at a time against the emulated enclosure, inside a prepared upload.
struct Detection : ::testing::Test {
    std::unique_ptr<EngineHarness> h;
    std::string state = "before";
    int64_t tookUs = 0;

    void start(EnclosureConfig config) {
        h = std::make_unique<EngineHarness>(config);
        h->engine->lifecycle.Form_Load();
        h->engine->upload.PrepareUpload();
        ASSERT_TRUE(h->port.isOpen());
    }

    void probe(int16_t index) {
        const int64_t t0 = h->host.nowUs();
        const int16_t asked = index;
        h->engine->detection.DetectCpuState(state, index);
        EXPECT_EQ(index, asked) << "the probe moved the caller's index";
        tookUs = h->host.nowUs() - t0;
    }

    State& st() { return h->st(); }
    std::string sent() { return h->device.hostBytes(); }
};

EnclosureConfig loaderAt(int baud) {
    EnclosureConfig c;
    c.startInLoader = true;
    c.loaderBaud = baud;
    return c;
}

TEST_F(Detection, ASilentCpuGivesNoResponseAfterAboutTwoSeconds) {
    EnclosureConfig c;
    c.silent = true;
    start(c);
    probe(2);
    EXPECT_EQ(state, CpuState::NoResponse);
    EXPECT_EQ(h->ui().cboBaud.text(), "38400");
    EXPECT_EQ(h->port.baud(), 38400);
    EXPECT_EQ(sent(), "X\r\n");
    EXPECT_GE(tookUs, 1500000);
    EXPECT_LE(tookUs, 2600000);
}

TEST_F(Detection, AnApplicationThatOnlyEchoesIsToBeSentIntoItsLoader) {
    EnclosureConfig c;
    c.appPrompt = false;
    start(c);
    probe(0);
    EXPECT_EQ(state, CpuState::SendIos);
    EXPECT_TRUE(Text::endsWith(st().receiveBuffer, "X"));
}

TEST_F(Detection, APromptAtARateBelow57600MeansTheLoaderNeedsMovingThere) {
    for (int16_t index : {0, 1, 2}) {
        const std::string rate = std::vector<std::string>{"9600", "19200", "38400"}[size_t(index)];
        SCOPED_TRACE(rate);
        start(loaderAt(std::stoi(rate)));
        probe(index);
        EXPECT_EQ(state, CpuState::InIos);
        EXPECT_EQ(st().foundBaud, rate);
        // What the loader said stays for the next step.
        EXPECT_TRUE(Text::endsWith(st().receiveBuffer, LoaderTexts::IosPrompt));
    }
}

TEST_F(Detection, APromptAt57600NeedsNoMove) {
    start(loaderAt(57600));
    probe(3);
    EXPECT_EQ(state, CpuState::InIos57600);
    EXPECT_EQ(st().foundBaud, "57600");
}

TEST_F(Detection, TheApplicationsPromptIsTakenForALoaderPrompt) {
    start({});
    probe(0);
    EXPECT_EQ(state, CpuState::InIos);
    EXPECT_TRUE(Text::endsWith(st().receiveBuffer, LoaderTexts::AppPrompt));
}

TEST_F(Detection, ARateGivenOnTheCommandLineIsNeverOverwrittenByWhatWasFound) {
    start(loaderAt(57600));
    st().baudGiven = true;
    st().foundBaud = "untouched";
    probe(3);
    EXPECT_EQ(state, CpuState::InIos57600);
    EXPECT_EQ(st().foundBaud, "untouched");
}

TEST_F(Detection, GarbageIsNotUnderstoodAndIsThrownAway) {
    EnclosureConfig c;
    c.garbage = true;
    start(c);
    probe(0);
    EXPECT_EQ(state, CpuState::DontKnow);
    EXPECT_EQ(st().receiveBuffer, "");
}

TEST_F(Detection, AKeyChallengeDuringTheProbeIsAnsweredAndThePromptThatFollowsCounts) {
    for (auto challenge : {EnclosureConfig::Challenge::Plain, EnclosureConfig::Challenge::MVariant}) {
        EnclosureConfig c = loaderAt(9600);
        c.challenge = challenge;
        start(c);
        probe(0);
        const std::string word = challenge == EnclosureConfig::Challenge::Plain ? LoaderTexts::UnlockWord
                                                                                 : LoaderTexts::UnlockWordM;
        EXPECT_NE(sent().find(word), std::string::npos) << sent();
        EXPECT_EQ(state, CpuState::InIos);
    }
}

TEST_F(Detection, AStopIsNoticedOnlyAfterTheProbeAndBothSettlingDelays) {
    EnclosureConfig c;
    c.silent = true;
    start(c);
    h->host.after(100000, [&] { h->engine->stopAbort.cmdStopUploadButton_Click(); });
    probe(0);
    EXPECT_EQ(state, CpuState::StopNow);
    EXPECT_EQ(sent(), "X\r\n");
    EXPECT_GE(tookUs, 1000000);
    // The wait for an answer itself ended with the stop.
    EXPECT_LT(tookUs, 1300000);
}

}  // namespace
