#include <gtest/gtest.h>

#include <functional>

#include "EngineHarness.h"
#include "app/Text.h"
#include "emulator/model/SampleImage.h"
#include "ios/LoaderTexts.h"

namespace {

const std::string ImagePath = "C:\\images\\app.txt";
const std::string LogPath = "c:\\log.txt";
const std::string SuccessLog = "appExitCode # 0\r\nUpload Successful!";
const std::string CommFailed = "Error # 6\r\nSerial Communications Error";

// Runs a handler once, the first time a control changes in a given way.
struct OnChange : ControlsListener {
    std::function<bool(const Control&, Aspect)> when;
    std::function<void()> then;
    bool fired = false;
    void controlChanged(const Control& c, Aspect a) override {
        if (fired || !when(c, a)) return;
        fired = true;
        then();
    }
};

size_t count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// One upload against the emulated enclosure, started as the program starts it.
struct Upload : ::testing::Test {
    std::unique_ptr<EngineHarness> h;
    std::string image = makeSampleImage(3000, true, false);

    // An unattended run: "<image> -auto -s1 -o <log>" and the options given.
    int unattended(EnclosureConfig config, const std::string& options = {}) {
        h = std::make_unique<EngineHarness>(config, ImagePath + " -auto -s1 -o " + LogPath + options);
        h->files.put(ImagePath, image);
        h->engine->lifecycle.Form_Load();
        h->engine->lifecycle.cmdExitButton_GotFocus();
        EXPECT_EQ(h->host.exitCodes.size(), 1u) << "the program did not end once";
        return h->host.exitCodes.empty() ? -1 : h->host.exitCodes.back();
    }

    // The window of an interactive run, ready for a click on Start Upload.
    void interactive(EnclosureConfig config, const std::string& commandLine = {}) {
        h = std::make_unique<EngineHarness>(config, commandLine);
        h->files.put(ImagePath, image);
        h->engine->lifecycle.Form_Load();
        h->ui().cboPort.setText("Com 1");
        h->ui().txtUploadPath.setText(ImagePath);
    }
    void clickStart() { h->engine->upload.cmdStartUploadButton_Click(); }

    State& st() { return h->st(); }
    std::string log() { return h->files.get(LogPath); }
    std::string sent() { return h->device.hostBytes(); }
    // What the host sent after the image's last byte.
    std::string sentAfterImage() {
        const std::string all = sent();
        const auto at = all.rfind(image.substr(image.size() - 200));
        return at == std::string::npos ? std::string() : all.substr(at + 200);
    }
    bool windowGivenBack() { return h->ui().cmdStartUploadButton.enabled() && !st().uploadBusy; }
};

// The application echoes the probe and shows no prompt; its loader asks for the key.
EnclosureConfig echoingApp() {
    EnclosureConfig c;
    c.appPrompt = false;
    c.keyPromptOnEy = true;
    c.keyPromptOnPy = true;
    return c;
}

EnclosureConfig loaderAt57600() {
    EnclosureConfig c;
    c.startInLoader = true;
    c.loaderBaud = 57600;
    return c;
}

// --- Whole uploads and their verdicts -------------------------------------------------

TEST_F(Upload, FromTheApplicationTheLoaderIsEnteredMovedTo57600AndSetBackAfterwards) {
    EXPECT_EQ(unattended(echoingApp()), 0) << log();
    EXPECT_TRUE(h->device.receivedImage() == image);
    EXPECT_NE(log().find(SuccessLog), std::string::npos) << log();
    EXPECT_EQ(count(sent(), LoaderTexts::EnterLoaderCommand), 1u);
    EXPECT_NE(sent().find("ey01KwgTHs837RyuLdXsZBov64\r\nSy57600\r\nb"), std::string::npos) << sent();
    // The rate found is restored with a CR alone, then the CPU is restarted.
    EXPECT_EQ(sentAfterImage(), "Sy9600\rb");
    EXPECT_EQ(h->device.deviceBaud(), 9600);
    EXPECT_FALSE(h->device.inLoader());
    EXPECT_EQ(h->host.beeps, 1);
    EXPECT_TRUE(windowGivenBack());
    // An unattended run tells its result to the log only.
    EXPECT_EQ(h->ui().txtTerminal.text().find("Upload Successful!"), std::string::npos);
}

TEST_F(Upload, FromALoaderAlreadyAt57600NothingIsNegotiatedOrSetBack) {
    image = makeSampleImage(3000, true, true);
    EXPECT_EQ(unattended(loaderAt57600()), 0) << log();
    EXPECT_TRUE(h->device.receivedImage() == image);
    EXPECT_EQ(sent().find("ey"), std::string::npos);
    EXPECT_EQ(sent().find("Sy"), std::string::npos);
    EXPECT_EQ(sentAfterImage(), "b");
}

TEST_F(Upload, TheChecksumVerdictIsAnExactComparisonUnlessTheExpectedOneIsUnknown) {
    // The device disputes the file.
    EnclosureConfig wrong = echoingApp();
    wrong.wrongChecksum = true;
    EXPECT_EQ(unattended(wrong), 2);
    const std::string expected = Enclosure::checksumOf(image);
    EXPECT_NE(log().find("\r\nError # 2\r\nChecksum Mismatch\r\nExpected checksum: " + expected +
                         "\r\nReturned checksum: " + h->device.reportedChecksum() + "\r\n\r\nUpload Aborted"),
              std::string::npos)
        << log();
    // After a mismatch the loader keeps its rate and the CPU stays in it.
    EXPECT_EQ(sentAfterImage(), "X");

    // The same checksum in other letter case is another checksum.
    const auto field = image.find("checksum: ") + 10;
    for (size_t i = field; i < field + 8; ++i) image[i] = char(std::tolower(image[i]));
    ASSERT_NE(image.substr(field, 8), expected) << "a checksum without letters";
    EXPECT_EQ(unattended(echoingApp()), 2);

    // No checksum in the file: whatever the device reports is accepted.
    image = makeSampleImage(3000, false, false);
    EXPECT_EQ(unattended(wrong), 0) << log();
}

TEST_F(Upload, NothingReturnedPassesOnlyWhenNothingWasExpected) {
    // The line goes away just before the end: the last chunks go unanswered and no
    // checksum comes back.
    EnclosureConfig cut = loaderAt57600();
    cut.disconnectAfterBytes = 2900;
    image = makeSampleImage(3000, false, false);
    EXPECT_EQ(unattended(cut), 6);
    EXPECT_EQ(log().find("Upload Successful!"), std::string::npos) << log();
    EXPECT_EQ(log().find("Error # "), std::string::npos) << log();
    EXPECT_EQ(h->host.beeps, 1);

    image = makeSampleImage(3000, true, false);
    EXPECT_EQ(unattended(cut), 2);
    EXPECT_NE(log().find("Returned checksum: \r\n"), std::string::npos) << log();
}

// --- Where the loader's rate is set back to ---------------------------------------------

TEST_F(Upload, TheRateGivenWithBIsRestoredAnd57600IsLeftAlone) {
    EXPECT_EQ(unattended(echoingApp(), " -b19200"), 0) << log();
    EXPECT_EQ(sentAfterImage(), "Sy19200\rb");
    EXPECT_NE(h->ui().txtTerminal.text().find("IOS set to 57600 resetting to 19200\r\n"), std::string::npos);

    EXPECT_EQ(unattended(echoingApp(), " -b57600 -noreboot"), 0) << log();
    EXPECT_EQ(sentAfterImage(), "");
    EXPECT_TRUE(h->device.inLoader());
}

TEST_F(Upload, TheManualViewSendsTheImageToTheLoaderAsPreparedAndRestoresAnEmptyRate) {
    interactive(loaderAt57600());
    h->engine->lifecycle.mnuManual_Click();
    // The operator has erased the application block by hand.
    h->ui().cboBaud.setText("57600");
    if (!h->port.isOpen()) h->port.open();
    h->port.write(LoaderTexts::EraseCommand);
    h->runFor(2000000);

    clickStart();
    EXPECT_EQ(st().appExitCode, 0);
    EXPECT_TRUE(h->device.receivedImage() == image);
    EXPECT_EQ(count(sent(), "X\r\n"), 0u) << "the Manual view probed the CPU";
    EXPECT_EQ(sentAfterImage(), "Sy\rb");
    EXPECT_NE(h->ui().txtTerminal.text().find("resetting to \r\n"), std::string::npos);
    EXPECT_TRUE(Text::endsWith(h->ui().txtTerminal.text(), "\r\n\r\nUpload Successful!"));
    EXPECT_TRUE(h->dialogue.boxes.empty());
}

// --- Finding the CPU -------------------------------------------------------------------

TEST_F(Upload, ASilentCpuIsProbedAt9600ThenDownFrom57600FiveTimesThenGivenUp) {
    EnclosureConfig c;
    c.silent = true;
    interactive(c);
    ASSERT_EQ(h->ui().cboBaud.text(), "9600");
    std::vector<std::string> rates;
    OnChange record;
    record.when = [&](const Control& ctl, Aspect a) {
        if (&ctl == &h->ui().cboBaud && a == Aspect::Text) rates.push_back(ctl.text());
        return false;
    };
    h->ui().addListener(&record);
    const int64_t t0 = h->host.nowUs();
    clickStart();
    h->ui().removeListener(&record);
    EXPECT_EQ(rates, (std::vector<std::string>{"57600", "38400", "19200", "57600"}));
    const int64_t took = h->host.nowUs() - t0;
    EXPECT_GT(took, 7500000);
    EXPECT_LT(took, 12600000);
    // Five probes, and the abort's prod.
    EXPECT_EQ(sent(), "X\r\nX\r\nX\r\nX\r\nX\r\nX");
    // The line's failure, and no "Upload Aborted" after it.
    ASSERT_EQ(h->dialogue.boxes.size(), 1u);
    EXPECT_EQ(h->dialogue.boxes[0].text, CommFailed);
    EXPECT_EQ(st().appExitCode, 6);
}

TEST_F(Upload, AfterFourUnrecognisedRepliesTheLoaderIsUnlockedWithoutNegotiation) {
    EnclosureConfig c;
    c.garbage = true;
    unattended(c);
    const std::string s = sent();
    EXPECT_EQ(s.substr(0, 12), "X\r\nX\r\nX\r\nX\r\n");
    EXPECT_EQ(s.substr(12, 1), LoaderTexts::ChallengeRequest) << s;
    EXPECT_EQ(s.find(LoaderTexts::EnterLoaderCommand), std::string::npos);
    EXPECT_EQ(s.find("Sy57600"), std::string::npos);
    EXPECT_NE(s.find(LoaderTexts::EraseCommand), std::string::npos);
}

// --- Files and the command line ----------------------------------------------------------

TEST_F(Upload, FileProblemsEndTheRunWithTheirOwnCodesBeforeAnyDialogue) {
    image = "// ZQ Encoded Image Fil\r\n";
    EXPECT_EQ(unattended({}), 5);
    EXPECT_NE(log().find("\r\nError # 5\r\nNot a valid Appcode file"), std::string::npos) << log();
    EXPECT_EQ(sent(), "");

    image = makeSampleImage(2000, true, false);
    EXPECT_EQ(unattended({}, " -checksum0x1"), 1);
    EXPECT_NE(log().find("mismatch\r\n"), std::string::npos) << log();
    EXPECT_NE(log().find("\r\nUpload Aborted"), std::string::npos) << log();
    EXPECT_EQ(sent(), "X");

    interactive({});
    h->ui().txtUploadPath.setText("");
    st().appExitCode = 6;
    clickStart();
    EXPECT_EQ(st().appExitCode, 7);
    ASSERT_EQ(h->dialogue.boxes.size(), 1u);
    EXPECT_EQ(h->dialogue.boxes[0].text, "Error # 7\r\nNo File Selected for Upload");
    EXPECT_TRUE(windowGivenBack());

    interactive({});
    h->files.files.clear();
    clickStart();
    EXPECT_EQ(st().appExitCode, 7);
    ASSERT_EQ(h->dialogue.boxes.size(), 2u);
    EXPECT_EQ(h->dialogue.boxes[1].text, "Upload Aborted");
    EXPECT_FALSE(st().stopRequested);
    // Only the abort's prod went out.
    EXPECT_EQ(sent(), "X");
}

// --- Stopping ---------------------------------------------------------------------------

TEST_F(Upload, AStopDuringTheUnlockStillCallsTheTransferWhichSendsNothing) {
    interactive(echoingApp());
    OnChange stop;
    stop.when = [&](const Control& c, Aspect) {
        return &c == &h->ui().txtTerminal && c.text().find("uploading app code") != std::string::npos;
    };
    stop.then = [&] { h->engine->stopAbort.cmdStopUploadButton_Click(); };
    h->ui().addListener(&stop);
    st().appExitCode = 6;
    clickStart();
    h->ui().removeListener(&stop);
    ASSERT_TRUE(stop.fired);
    EXPECT_EQ(sent().find(image.substr(0, 100)), std::string::npos);
    EXPECT_EQ(st().appExitCode, 6);
    ASSERT_EQ(h->dialogue.boxes.size(), 1u);
    EXPECT_EQ(h->dialogue.boxes[0].text, "Upload Aborted");
    EXPECT_FALSE(st().stopRequested);
    EXPECT_TRUE(windowGivenBack());
}

TEST_F(Upload, ExitDuringTheTransferStopsAfterItAndThenEndsTheProgram) {
    image = makeSampleImage(6000, true, false);
    interactive(echoingApp());
    OnChange exit;
    exit.when = [&](const Control& c, Aspect a) {
        return &c == &h->ui().ProgressBar1 && a == Aspect::Progress && c.value() > 0;
    };
    exit.then = [&] { h->engine->lifecycle.cmdExitButton_Click(); };
    h->ui().addListener(&exit);
    clickStart();
    h->ui().removeListener(&exit);
    ASSERT_TRUE(exit.fired);
    EXPECT_LT(h->device.receivedImage().size(), image.size());
    ASSERT_EQ(h->dialogue.boxes.size(), 1u);
    EXPECT_EQ(h->dialogue.boxes[0].text, "Upload Aborted");
    EXPECT_EQ(h->host.exitCodes, std::vector<int>{6});
}

// --- Failures that are not the device's ---------------------------------------------------

TEST_F(Upload, APortInUseEndsTheUploadThroughTheErrorPath) {
    interactive({});
    h->port.busyPorts.insert(1);
    clickStart();
    EXPECT_EQ(st().appExitCode, 3);
    ASSERT_FALSE(h->dialogue.boxes.empty());
    EXPECT_NE(h->dialogue.boxes[0].text.find("The Serial port is in use"), std::string::npos);
    EXPECT_TRUE(windowGivenBack());
    EXPECT_EQ(h->ui().txtTerminal.text(), "");
}

TEST_F(Upload, NoFailureEverEscapesTheClick) {
    interactive({});
    h->ui().txtUploadPath.setText("");
    // Even the message box fails, and then the error report's box too.
    h->dialogue.onBox = [] { throw std::runtime_error("no screen"); };
    EXPECT_NO_THROW(clickStart());
    EXPECT_TRUE(windowGivenBack());
    ASSERT_EQ(h->dialogue.boxes.size(), 2u);
    EXPECT_TRUE(Text::startsWith(h->dialogue.boxes[1].text, "Error # 51\r\nUnexpected Error"));
}

}  // namespace
