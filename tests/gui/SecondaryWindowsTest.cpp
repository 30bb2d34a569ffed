#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTest>
#include <QTextBlock>
#include <QTreeWidget>
#include <csignal>
#include <functional>

#include "GuiHarness.h"
#include "TemporaryHome.h"
#include "emulator/model/SampleImage.h"
#include "gui/AboutBox.h"
#include "host/QtUploadHistory.h"
#include "host/SignalBridge.h"
#include "images/UploadFileSelection.h"

namespace {
// What a box says: a message box's text, or its label's.
QString boxText(QWidget* box) {
    if (auto* message = qobject_cast<QMessageBox*>(box)) return message->text();
    const auto* label = box->findChild<QLabel*>();
    return label ? label->text() : QString();
}

bool windowUp(const GuiHarness& g, const char* name) {
    const QWidget* window = g.find(name);
    return window && window->isVisible();
}

bool messageBoxUp(const QString& text) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && boxText(w).contains(text) && qobject_cast<QMessageBox*>(w)) return true;
    return false;
}
}  // namespace

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

TEST(SecondaryWindows, NothingOpenedDuringAnUploadHoldsItUpWhileItsOwnVerdictsWaitForOk) {
    struct Row {
        const char* name;
        bool referenceFile;
        std::function<void(GuiHarness&)> open;
        std::function<bool(GuiHarness&)> shown;
    };
    const auto clickChecksums = [](GuiHarness& g) { g.find<QAbstractButton>("cmdCheckSumtxtButton")->click(); };
    const Row rows[] = {
        {"Checksum Reference without its file", false, clickChecksums,
         [](GuiHarness&) { return messageBoxUp("File Not found"); }},
        {"Checksum Reference", true, clickChecksums, [](GuiHarness& g) { return windowUp(g, "frmChecksum"); }},
        {"About", false, [](GuiHarness& g) { g.action("mnuAbout")->trigger(); },
         [](GuiHarness& g) { return windowUp(g, "frmAbout"); }},
    };
    EnclosureConfig disputing;  // the loader at the upload rate, reporting a wrong checksum
    disputing.startInLoader = true;
    disputing.loaderBaud = 57600;
    disputing.wrongChecksum = true;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        GuiHarness g({}, disputing);
        if (row.referenceFile) g.files.put(UploadFileSelection::Models()[1].checksumFile, "0x1234\r\n");
        g.files.put("c:\\app.img", makeSampleImage(64 * 1024, true, false));
        g.ui().txtUploadPath.setText("c:\\app.img");
        g.ui().optTessin.setChecked(true);  // the model whose reference file is asked for
        QStringList modal;
        g.onBox = [&](QWidget* box) { modal << boxText(box); };
        bool shownWhileUploading = false;
        g.host.after(1'000'000, [&] {
            row.open(g);
            shownWhileUploading = g.engine->state.uploadBusy && row.shown(g);
        });
        g.find<QAbstractButton>("cmdStartUploadButton")->click();
        EXPECT_TRUE(shownWhileUploading);
        EXPECT_TRUE(g.device.uploadComplete());
        EXPECT_FALSE(g.find<QProgressBar>("ProgressBar1")->isTextVisible());  // a plain bar
        ASSERT_EQ(modal.size(), 2) << modal.join('|').toStdString();
        EXPECT_TRUE(modal[0].contains("Checksum Mismatch") && modal[1] == "Upload Aborted")
            << modal.join('|').toStdString();
    }
}

TEST(SecondaryWindows, TheChecksumViewerMarksTheExpectedChecksumsLineAndEscapeOrCloseCloseIt) {
    for (const auto& [expected, markedLine] : {std::pair{"0X12", 2}, {"", -1}}) {  // -1: none marked
        GuiHarness g;
        g.files.put(UploadFileSelection::Models()[1].checksumFile, "v3 0x1234\r\nv2 0x12a\rv1 0x12 (old)\r\n");
        g.ui().optTessin.setChecked(true);
        g.ui().txtFileChecksum.setText(expected);
        g.find<QAbstractButton>("cmdCheckSumtxtButton")->click();
        QWidget* viewer = g.find("frmChecksum");
        ASSERT_TRUE(viewer && viewer->isVisible());
        auto* text = viewer->findChild<QPlainTextEdit*>("Text1");
        const auto marks = text->extraSelections();
        EXPECT_EQ(marks.isEmpty() ? -1 : marks.front().cursor.block().blockNumber(), markedLine);
        EXPECT_EQ(text->textCursor().blockNumber(), std::max(markedLine, 0));
        if (markedLine < 0)
            viewer->findChild<QAbstractButton*>("cmdClose")->click();
        else
            QTest::keyClick(text, Qt::Key_Escape);
        GuiHarness::settle();
        EXPECT_FALSE(windowUp(g, "frmChecksum"));
    }
}

TEST(SecondaryWindows, AShortBoxKeepsItsTitleAndTheUsageKeepsItsColumns) {
    GuiHarness g;
    int width = 0;
    g.onBox = [&](QWidget* box) { width = box->width() - box->fontMetrics().horizontalAdvance("Kelvane"); };
    g.dialogue.messageBox("Upload Aborted", "Kelvane");
    EXPECT_GE(width, 150);  // the title bar's icon and buttons beside the title

    const QString longest = "-o[optional filename]    Sends all output to file, example: filename.xxx -oc:\\app.txt";
    // Read while the box is up: the label in a fixed-width font, unwrapped, its longest line in full.
    bool columns = false;
    g.onBox = [&](QWidget* box) {
        const auto* label = box->findChild<QLabel*>();
        const QFontMetrics metrics = label->fontMetrics();
        columns = label->text().contains(longest) && !label->wordWrap() &&
                  metrics.horizontalAdvance('i') == metrics.horizontalAdvance('W') &&
                  label->contentsRect().width() >= metrics.horizontalAdvance(longest);
    };
    g.dialogue.usageBox(CommandLine::UsageText(), CommandLine::UsageTitle());
    EXPECT_TRUE(columns);
}

TEST(SignalBridge, ATerminationSignalOrAHangUpArrivesOnTheEventLoop) {
    int calls = 0;
    {
        SignalBridge bridge([&] { ++calls; });
        ASSERT_TRUE(bridge.active());
        // The window ends on a hang-up as on a termination; a reader gone ends nothing.
        std::raise(SIGHUP);
        std::raise(SIGPIPE);
        EXPECT_EQ(calls, 0);  // nothing runs inside the signal handler
        GuiHarness::settle();
        EXPECT_EQ(calls, 1);
        std::raise(SIGTERM);
        std::raise(SIGINT);
        GuiHarness::settle();
    }
    EXPECT_GE(calls, 1);
}

TEST(UploadHistoryWindow, UnderOptionsListsTheUploadsNewestFirstAndOpensATranscriptReadOnly) {
    TemporaryHome home;
    QtUploadHistory history(QString::fromStdString(home.file("state")));
    for (const char* result : {"older", "newer"})
        history.record({0, {}, 0, {}, {}, {}, 2, "/dev/ttyUSB0", {}, 7, {}, result}, result);
    GuiHarness g;
    g.window->addUploadHistory(history);
    ASSERT_EQ(g.find<QMenu>("mnuOptions")->actions().back(), g.action("mnuUploadHistory"));
    g.action("mnuUploadHistory")->trigger();
    auto* list = g.window->findChild<QTreeWidget*>("lstUploads");
    list->setCurrentItem(list->topLevelItem(1));
    EXPECT_EQ(list->topLevelItem(0)->text(3) + list->topLevelItem(1)->text(2), "newerCom 2 (/dev/ttyUSB0)");
    g.window->findChild<QAbstractButton*>("cmdOpenTranscript")->click();
    auto* transcript = g.window->findChild<QPlainTextEdit*>("txtTranscript");
    EXPECT_EQ(transcript->toPlainText() + QString::number(transcript->isReadOnly()), "older1");
}
