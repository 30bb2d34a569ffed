#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QClipboard>
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
    for (char16_t c : {u'\u00FF', u'\u20AC'}) {  // the last of Latin-1, and one beyond it
        QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(c)));
        QApplication::sendEvent(pane, &key);
    }
    // Keys without a character of their own, whatever text the platform gives them.
    for (const auto& [key, text] : {std::pair{Qt::Key_Delete, "\x7f"}, {Qt::Key_Insert, ""}, {Qt::Key_F5, ""},
                                    {Qt::Key_Left, ""}, {Qt::Key_Down, ""}}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString::fromLatin1(text));
        QApplication::sendEvent(pane, &press);
    }
    QTest::keyClick(pane, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(g.port.writes, (std::vector<std::string>{"I", "O", "S", "\r", "\x03", "\xFF"}));
    EXPECT_EQ(pane->toPlainText(), "");

    // With text selected, Ctrl+C copies it and sends nothing.
    g.ui().txtTerminal.appendText("OS> ver 2.1");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !pane->toPlainText().isEmpty(); }, 2000));
    pane->selectAll();
    g.port.writes.clear();
    QTest::keyClick(pane, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "OS> ver 2.1");
    EXPECT_TRUE(g.port.writes.empty());
    // The pane shows that it has the keys.
    const auto framed = [&](QWidget* focused) {
        focused->setFocus();
        return pane->grab().toImage().pixelColor(1, pane->height() / 2) == pane->palette().color(QPalette::Highlight);
    };
    EXPECT_TRUE(framed(pane) && !framed(g.find("cmdExitButton")));
    EXPECT_TRUE(pane->isReadOnly());
    const QFontMetrics metrics(pane->font());
    EXPECT_EQ(metrics.horizontalAdvance('i'), metrics.horizontalAdvance('W'));
}

TEST_F(TerminalPaneWidget, ShowsTheLinesBytesAndFollowsTheNewestText) {
    Control& text = g.ui().txtTerminal;
    // The pane catches up with the model a little later, once for a whole burst: what it
    // shows once it has had the time to.
    const auto shown = [&](const QString& expected) {
        static_cast<void>(QTest::qWaitFor([&] { return pane->toPlainText() == expected; }, 2000));
        return pane->toPlainText();
    };
    const QString first = QString::fromUtf8("IOS>\nCHECKSUM: \u00AE");
    text.appendText("IOS>\r\nCHECKSUM: \xAE");
    EXPECT_EQ(shown(first), first);
    // A CR LF split across two catch-ups still ends one line.
    const QString more = first + QString::fromUtf8("\u00FF\nnext");
    for (const char* chunk : {"\xFF\r", "\nnext"}) text.appendText(chunk);
    EXPECT_EQ(shown(more), more);
    for (int i = 0; i < 200; ++i) text.appendText("line\r\n");
    EXPECT_EQ(shown(more + QString("line\n").repeated(200)), more + QString("line\n").repeated(200));
    EXPECT_GT(pane->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(pane->verticalScrollBar()->value(), pane->verticalScrollBar()->maximum());
    // Replaced, shortened (as a trim shortens it) and grown again before the view caught up.
    text.setText("stale text");
    text.setText("fresh");
    text.appendText("er");
    EXPECT_EQ(shown("fresher"), "fresher");
    text.setText("fre");
    EXPECT_EQ(shown("fre"), "fre");
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
