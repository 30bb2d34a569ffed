#include "gui/ChecksumWindow.h"

#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QKeyEvent>
#include <QTextBlock>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "gui/GuiText.h"

namespace {
constexpr const char* DesignCaption = "Appcode Checksums Text";
}

ChecksumWindow::ChecksumWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("frmChecksum");
    setWindowTitle(DesignCaption);
    text_ = new QPlainTextEdit(this);
    text_->setObjectName("Text1");
    text_->setReadOnly(true);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(text_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setObjectName("cmdClose");
    connect(buttons, &QDialogButtonBox::rejected, this, &QWidget::close);
    layout->addWidget(buttons);
    resize(560, 420);
}

void ChecksumWindow::showText(const QString& caption, const QString& text, std::optional<size_t> markedLine) {
    setWindowTitle(caption);
    text_->setPlainText(GuiText::lines(text));
    QList<QTextEdit::ExtraSelection> marks;
    const QTextBlock line =
        markedLine ? text_->document()->findBlockByNumber(static_cast<int>(*markedLine)) : QTextBlock();
    if (line.isValid()) {
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(line);
        mark.format.setBackground(palette().color(QPalette::Highlight));
        mark.format.setForeground(palette().color(QPalette::HighlightedText));
        mark.format.setProperty(QTextFormat::FullWidthSelection, true);
        marks << mark;
        text_->setTextCursor(QTextCursor(line));
    }
    text_->setExtraSelections(marks);
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    // Laid out only now that it is shown, the text can scroll to the mark.
    if (line.isValid()) text_->centerCursor();
}

void ChecksumWindow::keyPressEvent(QKeyEvent* event) {
    // A window of its own, not a dialog, so Escape is taught to it.
    if (event->key() == Qt::Key_Escape && !(event->modifiers() & ~Qt::KeypadModifier)) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ChecksumWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    if (onClosed) onClosed();
}
