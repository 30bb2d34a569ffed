#include <gtest/gtest.h>

#include "EngineHarness.h"
#include "ios/LoaderTexts.h"

namespace {

struct IosEntryTest : ::testing::Test {
    std::unique_ptr<EngineHarness> h;
    int64_t tookUs = 0;

    void start(EnclosureConfig config) {
        h = std::make_unique<EngineHarness>(config);
        h->engine->lifecycle.Form_Load();
        h->engine->upload.PrepareUpload();
        ASSERT_TRUE(h->port.isOpen());
    }
    void enter() {
        const int64_t t0 = h->host.nowUs();
        h->engine->iosEntry.EnterIos();
        tookUs = h->host.nowUs() - t0;
    }
    std::string sent() { return h->device.hostBytes(); }
};

EnclosureConfig echoingApp(int loaderBaud = 9600) {
    EnclosureConfig c;
    c.appPrompt = false;
    c.loaderBaud = loaderBaud;
    return c;
}

TEST_F(IosEntryTest, TheApplicationIsSentToItsLoaderAndTheWaitEndsAtItsPrompt) {
    start(echoingApp());
    enter();
    EXPECT_EQ(sent(), "~ios!");
    EXPECT_TRUE(h->device.inLoader());
    EXPECT_EQ(h->ui().cboBaud.text(), "9600");
    EXPECT_EQ(h->port.baud(), 9600);
    EXPECT_TRUE(h->engine->channel.BufferEndsWith({LoaderTexts::IosPrompt, LoaderTexts::AppPrompt}))
        << h->st().receiveBuffer;
    EXPECT_LT(tookUs, 9000000);
}

TEST_F(IosEntryTest, OnceTheLoaderRunsAt57600ThePortFollowsIt) {
    start(echoingApp(57600));
    h->st().iosBaud = "57600";
    enter();
    EXPECT_EQ(h->ui().cboBaud.text(), "57600");
    EXPECT_EQ(h->port.baud(), 57600);
    EXPECT_LT(tookUs, 9000000);
}

TEST_F(IosEntryTest, TheRestartByteEndsTheWaitWhenTheLoaderItselfCannotBeUnderstood) {
    // The loader comes up at 57600 while the port listens at 9600: only the byte the CPU
    // sends as it resets can be read.
    EnclosureConfig c = echoingApp(57600);
    c.sendFFOnRestart = true;
    start(c);
    enter();
    EXPECT_NE(h->st().receiveBuffer.find('\xFF'), std::string::npos);
    EXPECT_LT(tookUs, 2000000);

    start(echoingApp(57600));
    enter();
    EXPECT_GE(tookUs, 9500000);
}

TEST_F(IosEntryTest, WithNoPortNothingIsSentYetTheRateChangesAndTheFullWaitRuns) {
    start(echoingApp());
    h->ui().cboBaud.setText("38400");
    h->ui().cboPort.setText("None");
    ASSERT_FALSE(h->port.isOpen());
    enter();
    EXPECT_EQ(sent(), "");
    EXPECT_EQ(h->ui().cboBaud.text(), "9600");
    EXPECT_GE(tookUs, 9500000);
    EXPECT_LE(tookUs, 11100000);
}

TEST_F(IosEntryTest, AStopBeforeSendsNothingAndAStopDuringEndsTheWait) {
    EnclosureConfig c;
    c.silent = true;
    start(c);
    h->ui().cboBaud.setText("19200");
    h->st().stopRequested = true;
    enter();
    EXPECT_EQ(sent(), "");
    EXPECT_EQ(h->ui().cboBaud.text(), "19200");
    EXPECT_EQ(tookUs, 0);

    h->st().stopRequested = false;
    h->host.after(2000000, [&] { h->engine->stopAbort.cmdStopUploadButton_Click(); });
    enter();
    EXPECT_EQ(sent(), "~ios!");
    // The stop, then the half-second settling delay.
    EXPECT_GE(tookUs, 2500000);
    EXPECT_LT(tookUs, 2700000);
}

}  // namespace
