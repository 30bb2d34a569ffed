#include <gtest/gtest.h>

#include <vector>

#include "EngineHarness.h"

namespace {

// An engine in the middle of an upload: started up, the window locked, the port open.
struct StopAbortTest : ::testing::Test {
    EngineHarness h;

    void SetUp() override {
        h.engine->lifecycle.Form_Load();
        h.engine->upload.PrepareUpload();
        ASSERT_TRUE(h.port.isOpen());
        h.ui().ProgressBar1.setMaximum(5000);
        h.ui().ProgressBar1.setValue(1025);
        h.ui().txtTerminal.setText("IOS>");
        h.st().receiveBuffer = "IOS>";
        h.st().transferActive = true;
        h.port.writes.clear();
    }

    StopAbort& stop() { return h.engine->stopAbort; }

    std::vector<Control*> lockedByAnUpload() {
        Controls& ui = h.ui();
        return {&ui.cmdStartUploadButton, &ui.cboPort,   &ui.cboBaud,   &ui.cmdBrowseButton,
                &ui.mnuOptions,           &ui.optTarsel16, &ui.optR65500, &ui.optHalcyn,
                &ui.optTessin,            &ui.optVarda,  &ui.chkRestarttoApp};
    }
};

TEST_F(StopAbortTest, TheWindowIsLockedForTheUploadAndGivenBackWhole) {
    for (Control* c : lockedByAnUpload()) EXPECT_FALSE(c->enabled()) << c->name();
    EXPECT_TRUE(h.ui().txtUploadPath.locked());
    EXPECT_TRUE(h.st().uploadBusy);

    stop().UnlockControls();
    for (Control* c : lockedByAnUpload()) EXPECT_TRUE(c->enabled()) << c->name();
    EXPECT_FALSE(h.ui().txtUploadPath.locked());
    EXPECT_FALSE(h.st().uploadBusy);
    // Only the terminal holds the port open now.
    EXPECT_EQ(h.port.isOpen(), h.st().termMode);
}

TEST_F(StopAbortTest, StopOnlyAsksAndArmsTheRecoveryWhichTheUploadsEndDisarms) {
    stop().cmdStopUploadButton_Click();
    EXPECT_TRUE(h.st().stopRequested);
    EXPECT_TRUE(h.ui().Timer1.enabled());
    EXPECT_TRUE(h.port.writes.empty());
    EXPECT_TRUE(h.host.timerRunning(TimerId::Timer1));

    stop().UnlockControls();
    EXPECT_FALSE(h.host.timerRunning(TimerId::Timer1));
    h.runFor(3000000);
    EXPECT_TRUE(h.port.writes.empty()) << "the recovery ran after the upload ended";
}

TEST_F(StopAbortTest, WithoutAStopRequestTheAbortDoesNothing) {
    stop().AbortUpload();
    EXPECT_TRUE(h.port.writes.empty());
    EXPECT_TRUE(h.dialogue.boxes.empty());
    EXPECT_TRUE(h.st().uploadBusy);
    EXPECT_EQ(h.ui().txtTerminal.text(), "IOS>");
}

TEST_F(StopAbortTest, AStoppedUploadIsReportedAndEverythingIsClearedButTheExitCode) {
    h.st().outputToFile = true;
    h.st().outputFile = "c:\\run.txt";
    h.st().appExitCode = 6;
    h.st().stopRequested = true;
    stop().AbortUpload();

    ASSERT_FALSE(h.port.writes.empty());
    EXPECT_EQ(h.port.writes[0], "X");
    ASSERT_EQ(h.dialogue.boxes.size(), 1u);
    EXPECT_EQ(h.dialogue.boxes[0].text, "Upload Aborted");
    EXPECT_NE(h.files.get("c:\\run.txt").find("\r\nUpload Aborted"), std::string::npos);
    EXPECT_EQ(h.ui().ProgressBar1.value(), 0);
    EXPECT_EQ(h.ui().txtTerminal.text(), "");
    EXPECT_EQ(h.st().receiveBuffer, "");
    EXPECT_FALSE(h.st().transferActive);
    EXPECT_FALSE(h.st().uploadBusy);
    EXPECT_TRUE(h.ui().cmdStartUploadButton.enabled());
    EXPECT_EQ(h.st().appExitCode, 6);
    // Cleared by the upload where it handles the abort itself, not here.
    EXPECT_TRUE(h.st().stopRequested);
}

TEST_F(StopAbortTest, AFailedLineIsReportedAsSuchAndOnlyToTheLogInAnUnattendedRun) {
    h.st().autoMode = true;
    h.st().outputToFile = true;
    h.st().outputFile = "c:\\run.txt";
    h.st().logText.clear();
    h.st().stopRequested = true;
    h.st().commFailed = true;
    stop().AbortUpload();

    EXPECT_TRUE(h.dialogue.boxes.empty());
    EXPECT_NE(h.st().logText.find("\r\nError # 6\r\nSerial Communications Error"), std::string::npos);
    EXPECT_EQ(h.st().logText.find("Upload Aborted"), std::string::npos);
    // An unattended run writes its log once, when the window closes.
    EXPECT_FALSE(h.files.has("c:\\run.txt"));
}

}  // namespace
