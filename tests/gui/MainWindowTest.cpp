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

TEST(MainWindow, TabMovesThroughTheVisibleControlsInTheTableOrderAndTerminalOnTakesTheFocus) {
    const QStringList common = {"cboPort", "cboBaud", "txtUploadPath", "cmdBrowseButton"};
    const QStringList tail = {"cmdStartUploadButton", "cmdStopUploadButton", "chkRestarttoApp", "txtAppCheckSum",
                              "txtFileChecksum"};
    const std::pair<bool, QStringList> cases[] = {
        {false, common + tail + QStringList{"txtTerminal", "cmdExitButton"}},
        {true, common +
                   QStringList{"optVarda", "optTessin", "optR65500", "optTarsel16", "cmdSplashButton",
                               "cmdMagicWordButton", "cmdCheckSumtxtButton"} +
                   tail + QStringList{"txtTerminal", "optHalcyn", "cmdConfirmationKey", "cmdExitButton"}}};
    for (const auto& [makerSet, expected] : cases) {
        GuiHarness g;
        if (makerSet) QTest::keyClick(g.find("txtTerminal"), Qt::Key_F1, Qt::ShiftModifier);
        g.window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(g.window.get()));
        ASSERT_EQ(focusedControl(), "cmdExitButton");
        QStringList order;
        for (int i = 0; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order << focusedControl();
        }
        EXPECT_EQ(order.join(' ').toStdString(), expected.join(' ').toStdString());
        // Off leaves the focus where it is; on moves it into the pane.
        for (const auto& [item, focused] : {std::pair{"mnuTermModeOff", "cboBaud"}, {"mnuTermModeOn", "txtTerminal"}}) {
            g.find("cboBaud")->setFocus();
            g.action(item)->trigger();
            EXPECT_EQ(focusedControl(), focused);
        }
    }
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
