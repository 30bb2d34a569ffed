#include "gui/ChecksumWindow.h"

#include <QCloseEvent>
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
    resize(560, 420);
}

void ChecksumWindow::showText(const QString& caption, const QString& text) {
    setWindowTitle(caption);
    text_->setPlainText(GuiText::lines(text));
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void ChecksumWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    if (onClosed) onClosed();
}
