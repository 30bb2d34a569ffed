#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QRegularExpression>
#include <QTest>
#include <map>

#include "GuiHarness.h"
#include "emulator/model/SampleImage.h"
#include "images/RecentUploadFiles.h"
#include "upload/ImageFile.h"

namespace {

QString shownCaption(QWidget* w) {
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
    return {};
}

// The control that holds the focus (a combo box's editor counts as its box).
QString focusedControl() {
    for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget())
        if (w->objectName().contains(QRegularExpression("^(cbo|txt|cmd|chk|opt)"))) return w->objectName();
    return {};
}

TEST(MainWindow, EveryControlIsAWidgetOrMenuItemNamedAfterItWithItsCaptionToolTipAndGroup) {
    GuiHarness g;
    EXPECT_EQ(g.window->objectName(), "frmKelvane");
    // Drawn from the resource the program carries, through the SVG plugin it depends on.
    EXPECT_FALSE(g.window->windowIcon().pixmap(32).isNull());
    std::map<QWidget*, int> items;  // per menu, the items checked so far
    for (const Control* c : g.ui().all()) {
        if (c->kind() == ControlKind::Window || c->kind() == ControlKind::Timer) continue;
        if (c->kind() == ControlKind::MenuItem) {  // in its menu, or the menu bar, in the order of the table
            QAction* item = g.action(c->name().c_str());
            QWidget* menu = c->group().empty() ? g.window->menuBar() : g.find(c->group().c_str());
            EXPECT_EQ(item, menu->actions().value(items[menu]++)) << c->name();
            EXPECT_EQ(item->isSeparator(), c->caption() == "-") << c->name();
            if (!item->isSeparator()) {
                EXPECT_EQ(item->text().toStdString(), c->caption());
            }
            continue;
        }
        QWidget* w = g.find(c->name().c_str());
        ASSERT_NE(w, nullptr) << c->name();
        EXPECT_EQ(w->toolTip().toStdString(), c->toolTip()) << c->name();
        // Padded captions wrap inside their button; the words stay the same.
        EXPECT_EQ(shownCaption(w).simplified(), QString::fromStdString(c->caption()).simplified()) << c->name();
        if (!c->group().empty()) {
            EXPECT_TRUE(g.find(c->group().c_str())->isAncestorOf(w)) << c->name();
        }
    }
    EXPECT_TRUE(g.find<QAbstractButton>("cmdConfirmationKey")->text().contains('\n'));
}

TEST(MainWindow, MenuItemsShowTheirTicks) {
    GuiHarness g;
    for (const char* ticked : {"mnuAuto", "mnuTermModeOn", "mnudefault"}) EXPECT_TRUE(g.action(ticked)->isChecked());

    // Choosing the ticked scheme again keeps its tick (Qt would toggle it off).
    g.action("mnubluewhite")->trigger();
    g.action("mnubluewhite")->trigger();
    EXPECT_TRUE(g.action("mnubluewhite")->isChecked());
    EXPECT_FALSE(g.action("mnudefault")->isChecked());
    EXPECT_EQ(g.find("txtTerminal")->palette().color(QPalette::Base), QColor(0, 0, 128));
}

TEST(MainWindow, TabMovesThroughTheVisibleControlsInTheTableOrderWithTheModelsAsOneStopAndTerminalOnTakesTheFocus) {
    const QStringList head{"cboPort", "cboBaud", "txtUploadPath", "cmdBrowseButton"};
    const QStringList tail{"cmdStartUploadButton", "cmdStopUploadButton", "chkRestarttoApp", "txtAppCheckSum",
                           "txtFileChecksum", "txtTerminal"};
    const QStringList maker{"optTessin", "cmdSplashButton", "cmdMagicWordButton", "cmdCheckSumtxtButton"};
    for (const bool makerSet : {false, true}) {
        GuiHarness g;
        if (makerSet) QTest::keyClick(g.find("txtTerminal"), Qt::Key_F1, Qt::ShiftModifier);
        const QStringList expected = makerSet ? head + maker + tail + QStringList{"cmdConfirmationKey", "cmdExitButton"}
                                              : head + tail + QStringList{"cmdExitButton"};
        g.window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(g.window.get()));
        ASSERT_EQ(focusedControl(), "cmdExitButton");
        QStringList order;
        while (order.size() < expected.size()) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order << focusedControl();
        }
        EXPECT_EQ(order, expected);
        // Off leaves the focus where it is; on moves it into the pane.
        for (const auto& [item, focused] : {std::pair{"mnuTermModeOff", "cboBaud"}, {"mnuTermModeOn", "txtTerminal"}}) {
            g.find("cboBaud")->setFocus();
            g.action(item)->trigger();
            EXPECT_EQ(focusedControl(), focused);
        }
        if (!makerSet) continue;
        g.find("optTessin")->setFocus();
        // The arrows move round the models and select as they go; Tab then stops at the new one.
        for (const auto& [key, model] : {std::pair{Qt::Key_Right, "optR65500"}, {Qt::Key_Left, "optTessin"},
                                         {Qt::Key_Up, "optVarda"}, {Qt::Key_Up, "optHalcyn"}}) {
            QTest::keyClick(QApplication::focusWidget(), key);
            EXPECT_TRUE(focusedControl() == model && g.ui().find(model)->checked()) << model;
        }
        EXPECT_FALSE(g.find("optTessin")->focusPolicy() & Qt::TabFocus);
    }
}

// Drops the content onto the window; whether the window took the drag.
bool drop(GuiHarness& g, QMimeData& data) {
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(g.window.get(), &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(g.window.get(), &dropped);
    return true;
}

TEST(MainWindow, ADroppedFileIsABrowseChoiceAndTheStatusLineSaysWhatItIs) {
    const std::string image = makeSampleImage(5000, true, false);
    const std::string declared = ImageFile::DeclaredChecksum(image);
    const auto file = [](const char* path) { return QUrl::fromLocalFile(path); };
    const struct {
        QList<QUrl> urls;  // none: text is dropped
        std::string path, status;
        bool uploading = false;
    } rows[] = {
        {{file("/img/app.img")}, "/img/app.img",
         "app.img: " + std::to_string(image.size()) + " bytes, declared checksum " + declared},
        {{file("/img/notes.txt")}, "/img/notes.txt",
         "notes.txt is not an encoded image file: it does not start with \"// ZQ Encoded Image File\""},
        {{file("/img/gone.img")}, "/img/gone.img", "No such file: gone.img"},
        {{file("/img")}, "", "img is a folder: drop an image file"},
        {{file("/img/app.img"), file("/img/notes.txt")}, "", "Drop one file at a time"},
        {{QUrl("https://example.com/app.img")}, "", "Only a file can be dropped here"},
        {{}, "", "Only a file can be dropped here"},
        {{file("/img/app.img")}, "", "", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.status);
        GuiHarness g;
        g.files.posix = true;
        g.files.put("/img/app.img", image);
        g.files.put("/img/notes.txt", "hello");
        g.files.addFolder("/img");
        g.ui().optVarda.select();
        g.engine->state.uploadBusy = row.uploading;
        QMimeData data;
        row.urls.isEmpty() ? data.setText("/img/app.img") : data.setUrls(row.urls);
        EXPECT_EQ(drop(g, data), !row.uploading);
        if (row.uploading) g.engine->fileDrop.Form_DragDrop({"/img/app.img"}, false);  // refused there too
        EXPECT_EQ(g.find<QLineEdit>("txtUploadPath")->text().toStdString(), row.path);
        EXPECT_EQ(g.store.text(Settings::SettingsKey, "VardaFilePath"), row.path);
        EXPECT_EQ(g.find<QLabel>("lblUploadStatus")->text().toStdString(), row.status);
    }
}

TEST(MainWindow, ThePathBoxOffersTheLastFilesOfEachModelNewestFirst) {
    GuiHarness g;
    g.ui().optVarda.select();
    std::vector<std::string> used;
    for (int i = 1; i <= 9; ++i) {
        used.insert(used.begin(), "c:\\f" + std::to_string(i) + ".img");
        g.engine->recentFiles.Choose(used.front());
    }
    g.engine->recentFiles.Choose("C:\\F3.IMG");  // the same file on Windows: moves up, no copy
    used.erase(used.begin() + 6);
    used.insert(used.begin(), "C:\\F3.IMG");
    used.resize(RecentUploadFiles::Kept);
    auto* menu = g.find<QMenu>("mnuRecentFiles");
    QStringList offered, expected;
    for (QAction* item : menu->actions()) offered << item->text();
    for (const std::string& path : used) expected << QString::fromStdString(path);
    EXPECT_EQ(offered, expected);

    // Another model has its own list; back again, the first is read from the settings as it was.
    g.ui().optTessin.select();
    EXPECT_TRUE(menu->actions().isEmpty());
    g.ui().optVarda.select();
    menu->actions().at(4)->trigger();  // a Browse choice
    EXPECT_EQ(g.store.text(Settings::SettingsKey, "VardaFilePath"), used[4]);
    EXPECT_EQ(g.ui().txtUploadPath.entries().front(), used[4]);
}

TEST(MainWindow, UploadsInARowAreEachSummedOnTheirOwnAndRestartUntickedLeavesTheLoader) {
    EnclosureConfig echoing;  // the application echoes the probe and shows no prompt
    echoing.appPrompt = false;
    GuiHarness g({}, echoing);
    for (const size_t size : {3000, 5000}) {
        const std::string image = makeSampleImage(size, true, false);
        g.files.put("c:\\app.img", image);
        g.ui().txtUploadPath.setText("c:\\app.img");
        const bool restart = size == 3000;
        if (!restart) g.find<QAbstractButton>("chkRestarttoApp")->click();
        bool optionsLocked = false;
        g.host.after(1'000'000, [&] { optionsLocked = !g.action("mnuOptions")->isEnabled(); });
        g.find<QAbstractButton>("cmdStartUploadButton")->click();
        EXPECT_EQ(g.engine->state.appExitCode, 0) << size;
        EXPECT_EQ(g.find<QLineEdit>("txtAppCheckSum")->text().toStdString(), Enclosure::checksumOf(image));
        EXPECT_EQ(g.device.inLoader(), !restart);
        EXPECT_TRUE(optionsLocked && g.action("mnuOptions")->isEnabled());
    }
}

TEST(MainWindow, EnterPressesTheFocusedButtonAndSelectorsAndThePathBoxTakeTypingThroughTheEngine) {
    GuiHarness g;
    auto* stop = g.find<QAbstractButton>("cmdStopUploadButton");
    for (const auto& [key, modifiers] :
         {std::pair{Qt::Key_Return, Qt::NoModifier}, {Qt::Key_Enter, Qt::KeypadModifier}}) {
        g.ui().Timer1.setEnabled(false);
        stop->setFocus();
        QTest::keyClick(stop, key, modifiers);
        EXPECT_TRUE(g.host.timerRunning(TimerId::Timer1)) << key;  // the Stop button's recovery
    }

    auto* ports = g.find<QComboBox>("cboPort");
    ASSERT_EQ(ports->count(), 10);
    QTest::keyClicks(ports->lineEdit(), "com 3");  // no entry: replaced at once
    EXPECT_EQ(ports->currentText(), "Com 1");
    emit ports->activated(3);
    EXPECT_EQ(ports->currentText(), "Com 3");
    EXPECT_EQ(g.port.portNumber(), 3);
    emit ports->activated(0);
    EXPECT_EQ(ports->palette().color(QPalette::Base), QColor(192, 0, 0));
    EXPECT_FALSE(g.port.isOpen());
    QTest::keyClicks(g.find<QLineEdit>("txtUploadPath"), "/tmp/a.img");
    EXPECT_EQ(g.engine->state.uploadPath, "/tmp/a.img");
}

}  // namespace

// What the status line shows, its figures left out: one entry per phase, in order.
struct PhaseLog : ControlsListener {
    // What the line said of the picked file before the upload is not a phase.
    explicit PhaseLog(GuiHarness& g) : g(g), before(shown()) { g.ui().addListener(this); }
    ~PhaseLog() override { g.ui().removeListener(this); }
    QString shown() const {
        return g.find<QLabel>("lblUploadStatus")->text().section(QRegularExpression("[;:]| in "), 0, 0);
    }
    void controlChanged(const Control&, Aspect) override {
        const QString phase = shown();
        if (!phase.isEmpty() && phase != before && (phases.isEmpty() || phases.back() != phase)) phases << phase;
    }
    GuiHarness& g;
    const QString before;
    QStringList phases;
};

TEST(MainWindow, TheStatusLineFollowsTheUploadsPhasesAndTheStripShowsHowItEndedInItsColour) {
    EnclosureConfig echoing;  // the application at 9600, its loader asking for the key
    echoing.appPrompt = false;
    echoing.keyPromptOnEy = echoing.keyPromptOnPy = true;
    EnclosureConfig silent;
    silent.silent = true;
    struct Row {
        const char* name;
        EnclosureConfig config;
        bool stop;
        const char* said;
        int hue;  // of the strip's background
    };
    const Row rows[] = {
        {"success", echoing, false, "Upload successful: 3000 bytes to Com 1 (/dev/mem1) in ", 120},
        {"failure", silent, false, "No verdict: the CPU did not answer on Com 1 (/dev/mem1) at ", 0},
        {"stop", echoing, true, "Stopped by the user while detecting the CPU at 9600 baud on Com 1", 45},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        GuiHarness g({}, row.config);
        g.files.put("c:\\app.img", makeSampleImage(3000, true, false));
        g.ui().txtUploadPath.setText("c:\\app.img");
        PhaseLog log(g);
        if (row.stop) g.host.after(1'000'000, [&] { g.find<QAbstractButton>("cmdStopUploadButton")->click(); });
        g.find<QAbstractButton>("cmdStartUploadButton")->click();
        GuiHarness::settle();
        auto* strip = g.find<QLabel>("lblUploadResult");
        EXPECT_TRUE(strip->text().startsWith(row.said)) << strip->text().toStdString();
        const int off = std::abs(strip->palette().color(QPalette::Window).hue() - row.hue);
        EXPECT_LT(std::min(off, 360 - off), 20);
        if (std::string(row.name) != "success") continue;
        EXPECT_EQ(log.phases, QStringList({"Opening Com 1 (/dev/mem1)", "Loading the image file",
                                           "Detecting the CPU at 9600 baud", "Entering the loader (IOS)",
                                           "Detecting the CPU at 9600 baud", "Raising the rate to 57600 baud",
                                           "Unlocking and erasing the application block", "Sending image",
                                           "Waiting for the checksum", "Setting the loader back to 9600 baud",
                                           "Restarting the CPU into its application", "Sent 3000 bytes"}))
            << log.phases.join(" | ").toStdString();
    }
}
