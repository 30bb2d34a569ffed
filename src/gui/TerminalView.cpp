#include "gui/TerminalView.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextCursor>

namespace {
constexpr int KeyCodeF1 = 112;
constexpr char16_t ControlPictures = 0x2400;  // U+2400..U+241F stand for the C0 codes
// Late enough to gather a burst into one update, too soon for a person to notice.
constexpr int CatchUpMs = 30;
constexpr int FocusFrameWidth = 2;
}  // namespace

TerminalView::TerminalView(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    // Read-only, yet it takes the focus and sees the keys.
    setFocusPolicy(Qt::StrongFocus);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setTabChangesFocus(true);
    setUndoRedoEnabled(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // Room for the focus frame around the text.
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(FocusFrameWidth);
    catchUp_.setSingleShot(true);
    connect(&catchUp_, &QTimer::timeout, this, &TerminalView::catchUp);
}

void TerminalView::follow(std::function<const std::string&()> text, std::function<bool()> seen) {
    text_ = std::move(text);
    seen_ = std::move(seen);
    textReplaced();
}

QString TerminalView::display(const std::string& bytes) {
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        // CR LF ends a line; a CR on its own (or split from its LF) shows nothing.
        if (b == '\r') continue;
        if (b == '\n' || b == '\t' || b >= 0x20)
            out += QChar(char16_t(b));
        else
            out += QChar(char16_t(ControlPictures + b));
    }
    return out;
}

void TerminalView::textReplaced() {
    replaced_ = true;
    scheduleCatchUp();
}

void TerminalView::textGrew() { scheduleCatchUp(); }

void TerminalView::scheduleCatchUp() {
    // Unseen, the view would start over once it is shown.
    if (!text_ || (seen_ && !seen_())) {
        replaced_ = true;
        return;
    }
    if (!catchUp_.isActive()) catchUp_.start(CatchUpMs);
}

void TerminalView::showEvent(QShowEvent* event) {
    QPlainTextEdit::showEvent(event);
    if (replaced_) scheduleCatchUp();
}

void TerminalView::catchUp() {
    if (!text_ || (seen_ && !seen_())) return;
    const std::string& text = text_();
    if (replaced_) {
        setPlainText(display(text));
    } else if (text.size() > shown_) {
        QTextCursor end(document());
        end.movePosition(QTextCursor::End);
        end.insertText(display(text.substr(shown_)));
    } else {
        return;
    }
    shown_ = text.size();
    replaced_ = false;
    scrollToEnd();
}

void TerminalView::scrollToEnd() {
    moveCursor(QTextCursor::End);
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

int TerminalView::keyCode(const QKeyEvent& event) {
    const int key = event.key();
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return KeyCodeF1 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return '\r';
    case Qt::Key_Backspace: return '\b';
    case Qt::Key_Escape: return 27;
    case Qt::Key_Tab: return '\t';
    default: break;
    }
    // Letters, digits and the space bar carry their ASCII codes.
    if (key == Qt::Key_Space || (key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z))
        return key;
    return 0;
}

std::string TerminalView::keyBytes(const QKeyEvent& event) {
    const Qt::KeyboardModifiers mods = event.modifiers();
    // Alt combinations belong to the menus.
    if (mods & Qt::AltModifier) return {};
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return "\r";
    case Qt::Key_Backspace: return "\b";
    case Qt::Key_Escape: return "\x1b";
    default: break;
    }
    // Delete, Insert, the arrows and the function keys have no character of their own,
    // whatever text the platform attaches to them (0x7F for Delete).
    if (event.key() >= Qt::Key_Escape && event.key() <= Qt::Key_unknown && event.key() != Qt::Key_Tab) return {};
    if ((mods & Qt::ControlModifier) && event.key() >= Qt::Key_A && event.key() <= Qt::Key_Z)
        return std::string(1, static_cast<char>(event.key() - Qt::Key_A + 1));
    std::string bytes;
    for (const QChar c : event.text())
        if (c.unicode() <= 0xFF) bytes += static_cast<char>(c.unicode());
    return bytes;
}

bool TerminalView::isCopyKey(const QKeyEvent& event, bool selection) {
    const Qt::KeyboardModifiers mods = event.modifiers() & ~Qt::KeypadModifier;
    if (event.key() != Qt::Key_C) return false;
    // Ctrl+Shift+C always copies; Ctrl+C copies a selection, else it is the control code.
    return mods == (Qt::ControlModifier | Qt::ShiftModifier) || (mods == Qt::ControlModifier && selection);
}

void TerminalView::keyPressEvent(QKeyEvent* event) {
    if (isCopyKey(*event, textCursor().hasSelection())) {
        copy();
        event->accept();
        return;
    }
    if (onKeyDown)
        onKeyDown(keyCode(*event), event->modifiers() & Qt::ShiftModifier, event->modifiers() & Qt::ControlModifier,
                  event->modifiers() & Qt::AltModifier);
    const std::string bytes = keyBytes(*event);
    if (!bytes.empty()) {
        if (onKeyPress)
            for (const char b : bytes) onKeyPress(static_cast<int16_t>(static_cast<unsigned char>(b)));
        event->accept();
        return;
    }
    switch (event->key()) {
    // Moving around and selecting stays possible; the text itself is never edited here.
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End: QPlainTextEdit::keyPressEvent(event); return;
    default: event->accept(); return;
    }
}

void TerminalView::focusInEvent(QFocusEvent* event) {
    QPlainTextEdit::focusInEvent(event);
    update();
}

void TerminalView::focusOutEvent(QFocusEvent* event) {
    QPlainTextEdit::focusOutEvent(event);
    update();
}

bool TerminalView::event(QEvent* event) {
    const bool handled = QPlainTextEdit::event(event);
    // The frame shows where the keys go: in the highlight colour while the pane has the focus.
    if (event->type() == QEvent::Paint) {
        QPainter painter(this);
        QPen pen(palette().color(hasFocus() ? QPalette::Highlight : QPalette::Mid), FocusFrameWidth);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
    return handled;
}
