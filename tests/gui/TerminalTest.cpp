#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>

#include "GuiHarness.h"

namespace {

struct TerminalPaneWidget : ::testing::Test {
    GuiHarness g;
    QPlainTextEdit* pane = g.find<QPlainTextEdit>("txtTerminal");
};

TEST_F(TerminalPaneWidget, TypedKeysGoToThePortOneByteEachAndAreNotShown) {
    ASSERT_TRUE(g.port.isOpen());
    g.port.writes.clear();
    QTest::keyClicks(pane, "IOS");
    QTest::keyClick(pane, Qt::Key_Return);
    QTest::keyClick(pane, Qt::Key_C, Qt::ControlModifier);
    QKeyEvent euro(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(0x20AC)));  // beyond Latin-1
    QApplication::sendEvent(pane, &euro);
    EXPECT_EQ(g.port.writes, (std::vector<std::string>{"I", "O", "S", "\r", "\x03"}));
    EXPECT_EQ(pane->toPlainText(), "");
    EXPECT_TRUE(pane->isReadOnly());
    const QFontMetrics metrics(pane->font());
    EXPECT_EQ(metrics.horizontalAdvance('i'), metrics.horizontalAdvance('W'));
}

TEST_F(TerminalPaneWidget, ShowsTheLinesBytesAndFollowsTheNewestText) {
    for (const char* chunk : {"IOS>\r\nCHECKSUM: \xAE", "\xFF\r", "\nnext"}) g.ui().txtTerminal.appendText(chunk);
    EXPECT_EQ(pane->toPlainText(), QString::fromUtf8("IOS>\nCHECKSUM: \u00AE\u00FF\nnext"));
    for (int i = 0; i < 200; ++i) g.ui().txtTerminal.appendText("line\r\n");
    GuiHarness::settle();
    EXPECT_GT(pane->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(pane->verticalScrollBar()->value(), pane->verticalScrollBar()->maximum());
    g.ui().txtTerminal.setText("fresh");
    EXPECT_EQ(pane->toPlainText(), "fresh");
}

TEST_F(TerminalPaneWidget, ShiftF1TogglesTheMakerSetAndTheTerminalTakesItsRoom) {
    QWidget* frame = g.find("Frame1");
    const int tall = frame->height();
    QTest::keyClick(pane, Qt::Key_F1, Qt::ShiftModifier);
    GuiHarness::settle();
    EXPECT_TRUE(g.find("FrameSwitcherType")->isVisible() && g.find("cmdConfirmationKey")->isVisible());
    EXPECT_LT(frame->height(), tall);
    EXPECT_TRUE(g.find<QAbstractButton>("optTessin")->isChecked());
    QTest::keyClick(pane, Qt::Key_F1, Qt::ShiftModifier | Qt::ControlModifier);
    GuiHarness::settle();
    EXPECT_FALSE(g.find("FrameSwitcherType")->isVisible());
    EXPECT_EQ(frame->height(), tall);
}

}  // namespace
