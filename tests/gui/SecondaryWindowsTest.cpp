#include <gtest/gtest.h>

#include <QAbstractButton>
#include <csignal>

#include "GuiHarness.h"
#include "TemporaryHome.h"
#include "emulator/model/SampleImage.h"
#include "gui/AboutBox.h"
#include "host/SignalBridge.h"

TEST(AboutBox, OffersTheSystemToolOnlyWhereOneIsInstalled) {
    TemporaryHome bin;
    bin.set("PATH", bin.root());
    EXPECT_TRUE(AboutBox().findChild<QWidget*>("cmdSysInfo")->isHidden());
    WriteFile(bin.file("hardinfo"), "");
    std::filesystem::permissions(bin.file("hardinfo"), std::filesystem::perms::owner_all);
    EXPECT_FALSE(AboutBox().findChild<QWidget*>("cmdSysInfo")->isHidden());
}

TEST(FileDialog, FiltersBecomeTheHostsWithEveryFileMatchingStarDotStar) {
    QString selected;
    EXPECT_EQ(WidgetDialogue::dialogFilters("All Files (*.*)|*.*|Images|*.img;*.txt|", 2, &selected),
              "All Files (*);;Images (*.img *.txt)");
    EXPECT_EQ(selected, "Images (*.img *.txt)");
}

TEST(Closing, ACloseDuringAnUploadStopsItAndThenEndsTheProgram) {
    EnclosureConfig loaderReady;  // waiting at the upload rate
    loaderReady.startInLoader = true;
    loaderReady.loaderBaud = 57600;
    GuiHarness g({}, loaderReady);
    g.files.put("c:\\app.img", makeSampleImage(64 * 1024, true, false));
    g.ui().txtUploadPath.setText("c:\\app.img");
    bool refused = false;
    g.host.after(3'000'000, [&] {
        g.window->close();
        refused = g.window->isVisible();
    });
    g.find<QAbstractButton>("cmdStartUploadButton")->click();
    EXPECT_TRUE(refused);
    EXPECT_FALSE(g.device.uploadComplete());
    EXPECT_EQ(g.host.exitCodes.size(), 1u);
    EXPECT_FALSE(g.window->isVisible());
}

TEST(SignalBridge, ATerminationSignalArrivesOnTheEventLoop) {
    int calls = 0;
    {
        SignalBridge bridge([&] { ++calls; });
        ASSERT_TRUE(bridge.active());
        std::raise(SIGTERM);
        std::raise(SIGINT);
        EXPECT_EQ(calls, 0);  // nothing runs inside the signal handler
        GuiHarness::settle();
    }
    EXPECT_GE(calls, 1);
}
