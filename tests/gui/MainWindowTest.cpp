#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTest>
#include <map>

#include "GuiHarness.h"
#include "emulator/model/SampleImage.h"

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

TEST(MainWindow, TabMovesThroughTheVisibleControlsInTheTableOrder) {
    GuiHarness g;
    g.window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(g.window.get()));
    ASSERT_EQ(focusedControl(), "cmdExitButton");
    QStringList order;
    for (int i = 0; i < 11; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << focusedControl();
    }
    EXPECT_EQ(order, QStringList({"cboPort", "cboBaud", "txtUploadPath", "cmdBrowseButton", "cmdStartUploadButton",
                                  "cmdStopUploadButton", "chkRestarttoApp", "txtAppCheckSum", "txtFileChecksum",
                                  "txtTerminal", "cmdExitButton"}));
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
    explicit PhaseLog(GuiHarness& g) : g(g) { g.ui().addListener(this); }
    ~PhaseLog() override { g.ui().removeListener(this); }
    void controlChanged(const Control&, Aspect) override {
        const QString phase = g.find<QLabel>("lblUploadStatus")->text().section(QRegularExpression("[;:]| in "), 0, 0);
        if (!phase.isEmpty() && (phases.isEmpty() || phases.back() != phase)) phases << phase;
    }
    GuiHarness& g;
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
