#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "EngineHarness.h"
#include "TextSearch.h"
#include "app/Text.h"
#include "emulator/model/SampleImage.h"
#include "emulator/sim/Options.h"
#include "ios/LoaderTexts.h"

namespace {

const std::string ImagePath = "C:\\images\\app.txt";
const std::string LogPath = "c:\\log.txt";

// One upload against the emulated enclosure, started as the program starts it.
struct Upload : ::testing::Test {
    std::unique_ptr<EngineHarness> h;
    std::string image = makeSampleImage(3000, true, false);
    int64_t tookUs = 0;
    bool overstayed = false;
    UploadHistory* history = nullptr;  // given to each engine made
    // The longest any dialogue's waits allow: five rounds of detection and "~ios!",
    // each with unanswered probes and key challenges between, then the loader's stages.
    static constexpr int64_t LongestRunUs = 400000000;

    // The program started up on the enclosure, the image in place.
    void load(EnclosureConfig config, const std::string& commandLine = {}) {
        h = std::make_unique<EngineHarness>(config, commandLine);
        h->files.put(ImagePath, image);
        h->engine->history = history;
        h->load();
    }
    // An unattended run: "<image> -auto -s1 -o <log>" and the options given.
    int unattended(EnclosureConfig config, const std::string& options = {}) {
        load(config, ImagePath + " -auto -s1 -o " + LogPath + options);
        // A run that overstays is stopped, so that a test of it still ends.
        overstayed = false;
        h->host.after(LongestRunUs, [this] {
            overstayed = true;
            h->engine->stopAbort.cmdStopUploadButton_Click();
        });
        tookUs = h->tookUs([&] { h->engine->lifecycle.cmdExitButton_GotFocus(); });
        EXPECT_EQ(h->host.exitCodes.size(), 1u) << "the program did not end once";
        return h->host.exitCodes.empty() ? -1 : h->host.exitCodes.back();
    }
    // The window of an interactive run on Com 1, ready for a click on Start Upload.
    void interactive(EnclosureConfig config) {
        load(config);
        h->ui().txtUploadPath.setText(ImagePath);
    }
    void clickStart() { h->engine->upload.cmdStartUploadButton_Click(); }
    // Runs `act` at the first millisecond of virtual time at which `cond` holds.
    void when(std::function<bool()> cond, std::function<void()> act) {
        h->host.after(1000, [this, cond, act] { if (cond()) act(); else when(cond, act); });
    }

    std::string log() { return h->files.get(LogPath); }
    bool logHas(const std::string& text) { return log().find(text) != std::string::npos; }
    std::string pane() { return h->ui().txtTerminal.text(); }
    // What the host sent after the image's last byte.
    std::string sentAfterImage() {
        const auto at = h->sent().rfind(image.substr(image.size() - 200));
        return at == std::string::npos ? "(no image)" : h->sent().substr(at + 200);
    }
    // Whether every control an upload locks is locked, or every one free.
    bool windowLocked(bool locked) {
        Controls& ui = h->ui();
        const Control* const lockable[] = {&ui.cmdStartUploadButton, &ui.cboPort,    &ui.cboBaud,    &ui.cmdBrowseButton,
                                           &ui.mnuOptions,           &ui.optTarsel16, &ui.optR65500, &ui.optHalcyn,
                                           &ui.optTessin,            &ui.optVarda,   &ui.chkRestarttoApp};
        for (const Control* c : lockable)
            if (c->enabled() == locked) return false;
        return ui.txtUploadPath.locked() == locked && h->st().uploadBusy == locked;
    }
};

EnclosureConfig loaderAt(int baud, EnclosureConfig::Challenge challenge = EnclosureConfig::Challenge::None) {
    return enclosure([&](auto& c) { c.startInLoader = true; c.loaderBaud = baud; c.challenge = challenge; });
}

// The application echoes the probe and shows no prompt; its loader asks for the key.
// Characters take their time on the line, so a line end may trail its line.
const EnclosureConfig EchoingApp =
    enclosure([](auto& c) { c.appPrompt = false; c.keyPromptOnEy = c.keyPromptOnPy = c.pace = true; });
const EnclosureConfig LoaderAt57600 = loaderAt(57600);
const EnclosureConfig Silent = enclosure([](auto& c) { c.silent = true; });

// --- Whole uploads and their verdicts -------------------------------------------------

TEST_F(Upload, EachRunIsJudgedByAnExactChecksumComparisonThenTheLoaderIsSetBackAndRestarted) {
    // The device disputes the file; the loader takes the whole image but reports nothing.
    const EnclosureConfig wrong = enclosure([](auto& c) { c = EchoingApp; c.wrongChecksum = true; });
    const EnclosureConfig mute =
        enclosure([](auto& c) { c = LoaderAt57600; c.checksumLine = EnclosureConfig::ChecksumLine::Missing; });
    const EnclosureConfig cut = enclosure([](auto& c) { c = LoaderAt57600; c.disconnectAfterBytes = 2900; });
    const EnclosureConfig unanswered = enclosure([](auto& c) { c = LoaderAt57600; c.dropAckAtChunk = 2; });
    const std::string commFailed = "\r\nError # 6\r\nSerial Communications Error";
    const std::string success = "appExitCode # 0\r\nUpload Successful!";
    const std::string declaring = image, none = makeSampleImage(3000, false, false);
    const std::string expected = Enclosure::checksumOf(declaring);
    // The loader names the checksum of the application it erases: the same version again,
    // whose transfer line noise spoils, or another one, sent intact.
    const EnclosureConfig sameOldSpoilt =
        enclosure([&](auto& c) { c = LoaderAt57600; c.eraseText = "Old CHECKSUM: " + expected; c.flipByte = 2000; });
    const EnclosureConfig otherOld = enclosure([](auto& c) { c = EchoingApp; c.eraseText = "checksum: 0BADF00D"; });
    // The same checksum in other letter case is another checksum.
    std::string lowered = declaring;
    const auto field = lowered.find("checksum: ") + 10;
    for (size_t i = field; i < field + 8; ++i) lowered[i] = char(std::tolower(lowered[i]));
    ASSERT_NE(lowered.substr(field, 8), expected) << "a checksum without letters";
    // The image, options, the device, the exit code, what the log holds and what follows
    // the image: the rate found, or given with -b, restored with a CR alone unless it is
    // 57600, then the CPU restarted unless -noreboot. After a mismatch the loader keeps
    // its rate and the CPU stays in it; a loader found at 57600 is not set back.
    const std::tuple<std::string, const char*, EnclosureConfig, int, std::string, std::string> cases[] = {
        {declaring, "", EchoingApp, 0, success, "Sy9600\rb"},
        {declaring, " -b19200", EchoingApp, 0, success, "Sy19200\rb"},
        {declaring, " -b57600 -noreboot", EchoingApp, 0, success, ""},
        // A device that sums the image, or starts its new application, within the last
        // second of the program's wait for it (whole seconds from a rounded mark).
        {declaring, "", enclosure([](auto& c) { c = EchoingApp; c.sumUs = 2000000; }), 0, success, "Sy9600\rb"},
        {declaring, "", enclosure([](auto& c) { c = EchoingApp; c.appStartUs = 9900000; }), 0, success, "Sy9600\rb"},
        {declaring, "", wrong, 2, "\r\nError # 2\r\nChecksum Mismatch\r\nExpected checksum: " + expected, "X"},
        {lowered, "", EchoingApp, 2, "\r\nError # 2\r\nChecksum Mismatch", "X"},
        {none, "", wrong, 0, success, "Sy9600\rb"},
        {declaring, "", mute, 2, "Expected checksum: " + expected + "\r\nReturned checksum: \r\n", "X"},
        {declaring, "", sameOldSpoilt, 2, "Expected checksum: " + expected, "X"},
        {declaring, "", otherOld, 0, success, "Sy9600\rb"},
        // The loader stops answering near the end: with no checksum expected, only the
        // acknowledgements tell that it holds part of the image; nothing follows the last
        // chunk but the abort's prod.
        {none, "", cut, 6, commFailed, "X"},
        {none, "", unanswered, 6, commFailed, "X"},
        {none, "", mute, 6, "", "b"},
    };
    for (const auto& [file, options, config, code, held, after] : cases) {
        SCOPED_TRACE(std::string(options) + " " + std::to_string(config.sumUs + config.appStartUs) + " " +
                     std::to_string(code));
        image = file;
        EXPECT_EQ(unattended(config, options), code) << log();
        // An unattended run tells its result to the log only, and writes the log once, at
        // the end, not at the abort.
        EXPECT_TRUE(logHas(held)) << log();
        EXPECT_EQ(logHas("Upload Successful!"), code == 0) << log();
        EXPECT_EQ(logHas("Checksum Mismatch"), code == 2) << log();
        EXPECT_EQ(pane().find("Upload Successful!"), std::string::npos);
        EXPECT_EQ(count(log(), "AppCode Upload Done:"), 1u) << log();
        EXPECT_TRUE(!config.wrongChecksum || code != 2 ||
                    logHas("\r\nReturned checksum: " + h->device.reportedChecksum() + "\r\n\r\nUpload Aborted"));
        EXPECT_EQ(sentAfterImage(), after);
        // The restarted application talks at 9600 again, and so does the port.
        const bool restarted = Text::endsWith(after, "b");
        EXPECT_EQ(h->device.inLoader(), !restarted);
        // The run ends once the new application has said it is ready.
        EXPECT_EQ(logHas("\r\nReady\r\n"), restarted) << log();
        EXPECT_EQ(h->device.deviceBaud() + h->port.baud(), restarted ? 2 * 9600 : 2 * 57600);
        EXPECT_TRUE(windowLocked(false));
        if (code != 0) continue;
        // Every wait ended at its answer: the whole run takes seconds, not a timeout's length.
        EXPECT_LT(tookUs, 8000000 + config.sumUs + config.appStartUs);
        EXPECT_TRUE(h->device.receivedImage() == image);
        // Echo, into the loader, a prompt at 9600, the key and the move to 57600.
        EXPECT_EQ(h->sent().rfind("X\r\n~ios!X\r\ney01KwgTHs837RyuLdXsZBov64\r\nSy57600\r\nbx", 0), 0u) << h->sent();
    }
    // Nothing returned and nothing expected: neither verdict, but a beep.
    EXPECT_FALSE(logHas("Error # ")) << log();
    EXPECT_EQ(h->host.beeps, 1);
    EXPECT_EQ(h->sent().rfind("X\r\nX\r\nxpy", 0), 0u) << h->sent();
}

TEST_F(Upload, ImagesOfRealisticSizesArriveWhole) {
    for (size_t size : {256u << 10, 1u << 20, 4u << 20}) {
        image = makeSampleImage(size, true, false);
        EXPECT_EQ(unattended(LoaderAt57600), 0) << log();
        EXPECT_TRUE(h->device.receivedImage() == image) << size;
    }
}

TEST_F(Upload, TheManualViewSendsTheImageToTheLoaderAsPreparedAndRestoresAnEmptyRate) {
    interactive(LoaderAt57600);
    h->engine->lifecycle.mnuManual_Click();
    // The operator has erased the application block by hand.
    h->ui().cboBaud.setText("57600");
    h->port.write("py");
    h->runFor(2000000);

    clickStart();
    EXPECT_EQ(h->outcome(), " log: exit:0");
    EXPECT_TRUE(h->device.receivedImage() == image);
    EXPECT_EQ(h->sent().find("X\r\n"), std::string::npos) << "the Manual view probed the CPU";
    EXPECT_EQ(sentAfterImage(), "Sy\rb");
    EXPECT_NE(pane().find("\r\nIOS set to 57600 resetting to \r\n"), std::string::npos) << pane();
    EXPECT_TRUE(Text::endsWith(pane(), "\r\n\r\nUpload Successful!"));
}

// --- Finding the CPU -------------------------------------------------------------------

TEST_F(Upload, ASilentCpuIsProbedAt9600ThenDownFrom57600FiveTimesThenGivenUp) {
    interactive(Silent);
    std::vector<std::string> rates{h->ui().cboBaud.text()};
    when([&] {
        if (rates.back() != h->ui().cboBaud.text()) rates.push_back(h->ui().cboBaud.text());
        return false;
    }, [] {});
    EXPECT_NEAR(h->tookUs([&] { clickStart(); }), 10500000, 20000);
    EXPECT_EQ(rates, (std::vector<std::string>{"9600", "57600", "38400", "19200", "57600"}));
    EXPECT_EQ(h->sent(), "X\r\nX\r\nX\r\nX\r\nX\r\nX");
    // The line's failure, and no "Upload Aborted" after it.
    const std::string failed = "[Kelvane: Error # 6\r\nSerial Communications Error]";
    EXPECT_EQ(h->outcome(), failed + " log: exit:6");

    // The next upload starts afresh: a Stop is an abort, noticed only after the probe
    // and its settling delays; the wait for an answer itself ends with the stop.
    const size_t before = h->sent().size();
    h->host.after(100000, [&] { h->engine->stopAbort.cmdStopUploadButton_Click(); });
    EXPECT_NEAR(h->tookUs([&] { clickStart(); }), 1000000, 20000);
    EXPECT_EQ(h->sent().substr(before), "X\r\nX");  // one probe and the abort's prod
    EXPECT_EQ(h->dialogue.shown, failed + "[Kelvane: Upload Aborted]");
}

TEST_F(Upload, ACpuThatNeverEntersItsLoaderEndsAnUnattendedRunAfterFiveRequests) {
    const EnclosureConfig stubborn = enclosure([](auto& c) { c.appPrompt = false; c.ignoreEnterLoader = true; });
    auto requests = [&] { return count(h->sent(), "~ios!"); };
    EXPECT_EQ(unattended(stubborn), 6);
    EXPECT_EQ(requests(), 5u);
    EXPECT_TRUE(logHas("\r\nThe CPU did not enter its loader (IOS) after 5 \"~ios!\"")) << log();
    EXPECT_TRUE(logHas("\r\nError # 6\r\nSerial Communications Error")) << log();

    // The window's user has the Stop button: the requests go on.
    interactive(stubborn);
    when([&] { return requests() == 7; }, [&] { h->engine->stopAbort.cmdStopUploadButton_Click(); });
    clickStart();
    EXPECT_EQ(requests(), 7u);
    EXPECT_EQ(h->outcome(), "[Kelvane: Upload Aborted] log: exit:6");
}

TEST_F(Upload, AfterFourUnrecognisedRepliesTheLoaderIsUnlockedWithoutNegotiation) {
    unattended(enclosure([](auto& c) { c.garbage = true; }));
    EXPECT_EQ(h->sent().rfind("X\r\nX\r\nX\r\nX\r\nxpy", 0), 0u) << h->sent();
}

// --- Finding the loader, one step at a time ---------------------------------------------

TEST(CpuDetection, APromptBelow57600OrAnAnsweredChallengeMeansALoaderToBeMoved) {
    using C = EnclosureConfig::Challenge;
    const std::tuple<EnclosureConfig, int16_t, std::string, std::string> cases[] = {
        {loaderAt(9600), 0, "9600", ""}, {loaderAt(19200), 1, "19200", ""}, {loaderAt(38400), 2, "38400", ""},
        // The application's prompt is taken for a loader's.
        {EnclosureConfig{}, 0, "9600", ""},
        // A key challenge is answered and the prompt that follows counts.
        {loaderAt(9600, C::Plain), 0, "9600", LoaderTexts::UnlockWord},
        {loaderAt(9600, C::MVariant), 0, "9600", LoaderTexts::UnlockWordM},
    };
    for (const auto& [config, index, rate, answer] : cases) {
        SCOPED_TRACE(rate + " " + answer);
        EngineHarness h(config);
        h.startUpload();
        std::string state;
        int16_t probed = index;
        h.engine->detection.DetectCpuState(state, probed);
        EXPECT_EQ(state, CpuState::InIos);
        EXPECT_EQ(std::to_string(h.port.baud()) + " " + h.st().foundBaud, rate + " " + rate);
        EXPECT_EQ(h.sent(), "X\r\n" + answer);
        // What the device said stays for the next step.
        EXPECT_TRUE(h.engine->channel.BufferEndsWith({LoaderTexts::IosPrompt, LoaderTexts::AppPrompt}));
    }
}

TEST(IosEntry, TheWaitForTheLoaderEndsAtTheRestartByteAStopOrItsLimit) {
    // The loader comes up at 57600 while the port listens at 9600, unless this upload has
    // already moved it there: otherwise only the byte the CPU sends as it resets can be
    // read. Each end is followed by the half-second settling delay. The restart byte, a
    // stop at 2 s, the loader moved, how long entering the loader takes.
    const std::tuple<bool, bool, bool, int64_t> cases[] = {
        {true, false, false, 510000}, {false, false, false, 10510000}, {false, true, false, 2500000},
        {false, false, true, 810000}};
    for (const auto& [restartByte, stop, moved, took] : cases) {
        SCOPED_TRACE(std::to_string(restartByte) + std::to_string(stop) + std::to_string(moved));
        EngineHarness h(
            enclosure([&](auto& c) { c.appPrompt = false; c.loaderBaud = 57600; c.sendFFOnRestart = restartByte; }));
        h.startUpload();
        if (moved) h.st().iosBaud = "57600";
        if (stop) h.host.after(2000000, [&] { h.engine->stopAbort.cmdStopUploadButton_Click(); });
        EXPECT_NEAR(h.tookUs([&] { h.engine->iosEntry.EnterIos(); }), took, 20000);
        EXPECT_EQ(h.st().receiveBuffer.find('\xFF') != std::string::npos, restartByte);
        EXPECT_EQ(h.sent(), "~ios!");
    }
}

// --- Files -------------------------------------------------------------------------------

TEST_F(Upload, FileAndHostProblemsEndTheRunWithTheirOwnCodesAndNeverEscapeTheClick) {
    const std::string noFile = "[Kelvane: Error # 7\r\nNo File Selected for Upload]";
    // The problem, the start of what the user and a script are told, the exit code and
    // what reached the line.
    const std::tuple<std::function<void()>, std::string, int, const char*> cases[] = {
        {[&] { h->ui().txtUploadPath.setText(""); }, noFile + " log: exit:7", 7, ""},
        {[&] { h->files.files.clear(); },
         "[Kelvane: Error # 7\r\nFile Not found\r\nCheck File to Upload\r\nPath Information \r\npath not found]"
         "[Kelvane: Upload Aborted] log: exit:7",
         7, "X"},  // only the abort's prod
        {[&] { h->port.busyPorts.insert(1); }, "[Kelvane: Error # 3\r\nThe Serial port is in use", 3, nullptr},
        // Reported once, though the window's unlocking reopens the port for the terminal.
        {[&] { h->port.forbiddenPorts.insert(1); h->port.close(); },
         "[Kelvane: Error # 70\r\nUnexpected Error\r\npermission denied] log: exit:6", 6, ""},
        // Even the message box fails, and then the error report's box too.
        {[&] {
             h->ui().txtUploadPath.setText("");
             h->dialogue.onBox = [] { throw std::runtime_error("no screen"); };
         },
         noFile + "[Kelvane: Error # 51\r\nUnexpected Error", 7, ""},
    };
    for (const auto& [problem, outcome, code, sent] : cases) {
        interactive({});
        problem();
        EXPECT_NO_THROW(clickStart());
        EXPECT_TRUE(Text::startsWith(h->outcome(), outcome)) << h->outcome();
        EXPECT_EQ(h->st().appExitCode, code);
        EXPECT_TRUE(!sent || h->sent() == sent) << h->sent();
        EXPECT_EQ(pane(), "");
        EXPECT_FALSE(h->st().stopRequested);
        EXPECT_TRUE(windowLocked(false));
    }
}

// --- Stopping ---------------------------------------------------------------------------

TEST_F(Upload, AStopOrAnExitEndsTheUploadAtItsNextStepAndGivesTheWindowBackOrEndsTheProgram) {
    // A stop during the unlock: the transfer is still called but sends nothing. An exit
    // during the transfer: it stops after the chunk in flight.
    image = makeSampleImage(6000, true, false);
    for (bool exit : {false, true}) {
        SCOPED_TRACE(exit ? "exit" : "stop");
        interactive(EchoingApp);
        h->st().outputToFile = true;
        h->st().outputFile = LogPath;
        h->engine->lifecycle.mnuAbout_Click();
        h->dialogue.viewerOpen = true;
        bool lockedThen = false;
        when([&] { return exit ? h->ui().ProgressBar1.value() > 0 : pane().find("uploading app code") != std::string::npos; },
             [&] {
                 lockedThen = windowLocked(true);
                 if (exit) h->engine->lifecycle.cmdExitButton_Click();
                 else h->engine->stopAbort.cmdStopUploadButton_Click();
             });
        clickStart();
        EXPECT_TRUE(lockedThen);
        EXPECT_EQ(h->sent().find(image.substr(0, 100)) != std::string::npos, exit);
        EXPECT_LT(h->device.receivedImage().size(), image.size());
        EXPECT_EQ(h->dialogue.shown, "[Kelvane: Upload Aborted]");
        EXPECT_EQ(h->st().appExitCode, 6);
        EXPECT_EQ(h->host.exitCodes, exit ? std::vector<int>{6} : std::vector<int>{});
        EXPECT_TRUE(logHas("\r\nUpload Aborted")) << log();
        EXPECT_EQ(pane() + h->st().receiveBuffer, "");
        EXPECT_FALSE(h->st().stopRequested || h->st().transferActive);
        EXPECT_EQ(h->ui().ProgressBar1.value(), 0);
        // The recovery the stop armed is disarmed by the upload's end.
        EXPECT_FALSE(h->host.timerRunning(TimerId::Timer1));
        EXPECT_TRUE(windowLocked(false));
        EXPECT_EQ(h->port.isOpen(), !exit);  // the terminal, on, still wants it
        // The exit closes the About box and the checksum viewer; a close after it (the
        // menu, a signal) finds the process already ending.
        EXPECT_EQ(h->dialogue.aboutOpen || h->dialogue.viewerOpen, !exit);
        h->unloaded = false;
        h->engine->lifecycle.mnuExit_Click();
        EXPECT_EQ(h->host.exitCodes, std::vector<int>{6});
    }
}

// --- What each run says about itself ------------------------------------------------------

// Keeps what it is given, or cannot.
struct KeptHistory : UploadHistory {
    std::vector<std::pair<UploadRecord, std::string>> kept;
    bool full = false;
    std::string record(const UploadRecord& r, const std::string& transcript) override {
        if (full) throw HostError(ErrorNumber::PathFileAccess, "/state/kelvane: No space left on device");
        kept.emplace_back(r, transcript);
        return "~/.local/state/kelvane/upload-" + std::to_string(kept.size()) + ".log";
    }
};

TEST_F(Upload, EveryWayAnUploadEndsIsToldInOneSentenceThatNamesItsPhasePortDeviceAndFigure) {
    using P = UploadResult::Phase;
    const std::string declared = Enclosure::checksumOf(image);
    auto stop = [this] { h->engine->stopAbort.cmdStopUploadButton_Click(); };
    auto lineFails = [this] { h->port.failReads = true; h->port.reply("?"); };
    // A click on Start Upload, and act once cond holds.
    auto click = [&](EnclosureConfig config, std::function<bool()> cond, std::function<void()> act) {
        interactive(config);
        when(cond, act);
        clickStart();
    };
    auto loader = [](std::function<void(EnclosureConfig&)> set) {
        return enclosure([&](auto& c) { c = LoaderAt57600; set(c); });
    };
    const auto missing = EnclosureConfig::ChecksumLine::Missing;
    auto bare = [] { return makeSampleImage(3000, false, false); };
    auto portFails = [&](std::set<int> MemoryPort::*ports) {
        interactive({});
        h->port.close();
        (h->port.*ports).insert(1);
        clickStart();
    };
    struct Row {
        const char* name;
        std::function<void()> run;
        P phase;
        std::vector<std::string> said;
    };
    const Row rows[] = {
        {"success", [&] { unattended(EchoingApp); }, P::Finished,
         {"Upload successful: 3000 bytes to Com 1 (/dev/mem1) in ", "reported checksum " + declared,
          "restarted into the application."}},
        {"silent", [&] { unattended(Silent); }, P::Detecting,
         {"did not answer on Com 1 (/dev/mem1) at 9600, 57600, 38400 or 19200 baud. Check the cable"}},
        {"never enters its loader",
         [&] { unattended(enclosure([](auto& c) { c.appPrompt = false; c.ignoreEnterLoader = true; })); },
         P::EnteringLoader, {"on Com 1 (/dev/mem1) answers at 9600 baud but did not enter its loader after 5"}},
        {"an acknowledgement missing",
         [&] {
             image = makeSampleImage(5000, false, false);
             unattended(loader([](auto& c) { c.dropAckAtChunk = 2; }));
         },
         P::Sending, {"no acknowledgement after chunk 2 of 5 (3072 of 5000 bytes sent) on Com 1 (/dev/mem1)",
                      "The application block is erased"}},
        {"a wrong checksum", [&] { unattended(enclosure([](auto& c) { c = EchoingApp; c.wrongChecksum = true; })); },
         P::AwaitingChecksum,
         {"Checksum mismatch: the CPU on Com 1 (/dev/mem1) reported ", "expected checksum is " + declared,
          "stays in its loader at 57600 baud"}},
        {"no checksum report",
         [&] { unattended(loader([&](auto& c) { c.checksumLine = missing; })); },
         P::AwaitingChecksum, {"reported no checksum for the 3000 bytes sent, the expected checksum is " + declared}},
        {"no checksum either way",
         [&] { image = bare(); unattended(loader([&](auto& c) { c.checksumLine = missing; })); },
         P::Finished, {"No verdict: the CPU on Com 1 (/dev/mem1) reported no checksum", "the file declares none"}},
        {"a stop", [&] { click(LoaderAt57600, [this] { return h->ui().ProgressBar1.value() > 1024; }, stop); },
         P::Sending,
         {"Stopped by the user while sending chunk 2 of 3 (", "on Com 1 (/dev/mem1): no verdict", "is erased"}},
        {"an exit", [&] { click(Silent, [] { return true; }, [this] { h->engine->lifecycle.cmdExitButton_Click(); }); },
         P::Detecting,
         {"Stopped by closing the program while detecting the CPU at 9600 baud on Com 1 (/dev/mem1)"}},
        {"a line that fails", [&] { click(Silent, [] { return true; }, lineFails); },
         P::Detecting, {"the line to Com 1 (/dev/mem1) failed while detecting the CPU at 9600 baud"}},
        {"a missing port", [&] { portFails(&MemoryPort::missingPorts); }, P::CheckingPort,
         {"Port error: Com 1 (/dev/mem1) is not there (no such device)"}},
        {"no port", [&] { unattended({}, " -s0"); }, P::StartUp, {"no port to upload to"}},
        {"a missing file", [&] {
             interactive({});
             h->files.files.clear();
             h->files.addFolder("C:\\images");
             clickStart();
         }, P::LoadingFile,
         {"File error: C:\\images\\app.txt: file not found"}},
        {"not an image", [&] { image = "// Plain text\r\n"; unattended({}); }, P::LoadingFile,
         {"C:\\images\\app.txt is not an encoded image file", "nothing was sent to Com 1 (/dev/mem1)"}},
        {"a checksum the file disputes", [&] { unattended({}, " -checksum0x1234"); }, P::LoadingFile,
         {"-checksum gives 0x1234 but C:\\images\\app.txt declares " + declared}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        image = makeSampleImage(3000, true, false);
        KeptHistory kept;
        // A history that cannot be written changes nothing but a line on standard error.
        kept.full = row.phase == P::Detecting;
        history = &kept;
        h.reset();
        row.run();
        const std::string sentence = h->engine->result.Sentence();
        EXPECT_EQ(int(h->engine->result.phase()), int(row.phase)) << sentence;
        for (const std::string& part : row.said) EXPECT_TRUE(has(sentence, part)) << sentence << "\n" << part;
        const std::string strip = h->ui().lblUploadResult.caption();
        EXPECT_EQ(strip.rfind(sentence, 0), 0u) << strip;
        const bool success = has(sentence, "Upload successful");
        EXPECT_EQ(h->ui().lblUploadResult.backColor().value_or(Rgb{}).g > 0xE0, success || has(sentence, "Stopped by"));
        if (h->st().autoMode) {
            EXPECT_EQ(h->host.warnings.at(0), "kelvane: " + sentence);
            EXPECT_TRUE(logHas("\r\n" + sentence + "\r\n\r\nAppCode Upload Done:")) << log();
        }
        if (kept.full) {
            EXPECT_TRUE(has(h->host.warnings.back(), "history could not be written: /state/kelvane: No space"));
            continue;
        }
        ASSERT_EQ(kept.kept.size(), 1u);
        const auto& [record, transcript] = kept.kept.front();
        EXPECT_EQ(record.result + " " + std::to_string(record.exitCode),
                  sentence + " " + std::to_string(h->st().appExitCode));
        EXPECT_EQ(has(strip, " Transcript: ~/.local/state/kelvane/upload-1.log"), !success && !transcript.empty());
        // What the device sent, as it sent it: the acknowledgements' top bit kept.
        EXPECT_TRUE(transcript == h->port.readBytes);
    }
    history = nullptr;
}

// --- Every fault the device can play ------------------------------------------------------

TEST_F(Upload, EveryDeviceFaultAloneOrWithAnotherEndsTheRunWithADocumentedCodeWithinItsWaits) {
    // Each as kelvane-sim takes it on its command line.
    const std::vector<std::string> switches = {
        "--app-echo", "--start-in-loader", "--loader-baud 57600", "--challenge plain", "--challenge m",
        "--challenge m-then-plain", "--key-on-ey", "--key-on-py", "--ff-on-restart", "--silent", "--garbage",
        "--protocol-garbage", "--reject-key", "--drop-ack 1", "--late-ack 0", "--wrong-checksum",
        "--disconnect-after 2000", "--delay-ms 700", "--pace", "--ignore-ios",
        "--late-key 1500 --key-on-ey --key-on-py", "--erase-ms 9000", "--unsolicited 0", "--checksum-line lower",
        "--checksum-line no-blank", "--checksum-line long", "--checksum-line missing", "--flood 100000", "--trickle",
        "--erase-text CHECKSUM:_DEADBEEF", "--flip-byte 1500", "--hang-up-before-report",
    };
    const std::set<int> documented = {0, 1, 2, 3, 5, 6, 7};
    for (size_t i = 0; i < switches.size(); ++i)
        for (size_t j = i; j < switches.size(); ++j) {
            const std::string name = switches[i] + (i == j ? "" : " " + switches[j]);
            SCOPED_TRACE(name);
            std::vector<std::string> words{"kelvane-sim"};
            std::istringstream split(name);
            for (std::string word; split >> word;) words.push_back(word);
            std::vector<char*> argv;
            for (std::string& word : words) argv.push_back(word.data());
            SimOptions options;
            std::string error;
            ASSERT_EQ(parseSimOptions(int(argv.size()), argv.data(), options, error), ParseResult::Run) << error;
            const int code = unattended(options.model);
            EXPECT_EQ(documented.count(code), 1u) << code;
            EXPECT_FALSE(overstayed);
            // One line on standard error, and it names the device.
            ASSERT_EQ(h->host.warnings.size(), 1u);
            EXPECT_TRUE(has(h->host.warnings[0], "Com 1 (/dev/mem1)")) << h->host.warnings[0];
        }
}

}  // namespace
