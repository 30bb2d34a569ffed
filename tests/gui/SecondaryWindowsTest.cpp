#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <csignal>

#include "GuiHarness.h"
#include "emulator/model/SampleImage.h"
#include "gui/AboutBox.h"
#include "host/SignalBridge.h"

namespace {

// A CPU waiting in its loader at the upload rate.
EnclosureConfig loaderReady() {
    EnclosureConfig c;
    c.startInLoader = true;
    c.loaderBaud = 57600;
    return c;
}

TEST(AboutBox, OffersTheSystemToolOnlyWhereOneIsInstalled) {
    QTemporaryDir bin;
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", bin.path().toLocal8Bit());
    EXPECT_TRUE(AboutBox().findChild<QWidget*>("cmdSysInfo")->isHidden());
    QFile tool(bin.path() + "/hardinfo");
    ASSERT_TRUE(tool.open(QIODevice::WriteOnly));
    tool.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    AboutBox about;
    EXPECT_FALSE(about.findChild<QWidget*>("cmdSysInfo")->isHidden());
    EXPECT_EQ(about.findChild<QLabel*>("lblVersion")->text(), "Version 2.2.0");
    qputenv("PATH", path);
}

TEST(FileDialog, FiltersBecomeTheHostsWithEveryFileMatchingStarDotStar) {
    QString selected;
    EXPECT_EQ(WidgetDialogue::dialogFilters("All Files (*.*)|*.*|Images|*.img;*.txt|", 2, &selected),
              "All Files (*);;Images (*.img *.txt)");
    EXPECT_EQ(selected, "Images (*.img *.txt)");
}

TEST(Closing, ACloseDuringAnUploadStopsItAndThenEndsTheProgram) {
    GuiHarness g({}, loaderReady());
    g.files.put("c:\\app.img", makeSampleImage(64 * 1024, true, false));
    g.start();
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

}  // namespace
