#pragma once

#include <QPlainTextEdit>
#include <QTimer>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// The terminal pane: shows the line's bytes in a fixed-width font and hands every key
// to the engine instead of editing its text. The text it shows is the controls model's;
// told that it grew or was replaced, the view catches up a few tens of milliseconds
// later, once for everything that came meanwhile. Laying out a long line costs in
// proportion to its length, so doing it per received character would make every
// character dearer than the one before.
class TerminalView : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TerminalView(QWidget* parent = nullptr);

    // The text to show, and whether anyone can see it (nothing is laid out while not).
    void follow(std::function<const std::string&()> text, std::function<bool()> seen);
    void textReplaced();
    void textGrew();

    // Key down (key code, Shift, Ctrl, Alt), then one key press per character.
    std::function<void(int, bool, bool, bool)> onKeyDown;
    std::function<void(int16_t)> onKeyPress;

    // The character codes a key event stands for: one byte each, nothing for keys
    // without a character or characters beyond Latin-1.
    static std::string keyBytes(const QKeyEvent& event);
    // Key codes as the engine knows them (F1 is 112); 0 for keys it has no code for.
    static int keyCode(const QKeyEvent& event);
    // Whether the key copies the selection instead of reaching the line.
    static bool isCopyKey(const QKeyEvent& event, bool selection);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool event(QEvent* event) override;

    void showEvent(QShowEvent* event) override;

private:
    static QString display(const std::string& bytes);
    void scheduleCatchUp();
    void catchUp();
    void scrollToEnd();

    std::function<const std::string&()> text_;
    std::function<bool()> seen_;
    QTimer catchUp_;
    // How many bytes of the model's text the view shows, and whether that text has been
    // replaced since (then the view starts over).
    size_t shown_ = 0;
    bool replaced_ = false;
};
