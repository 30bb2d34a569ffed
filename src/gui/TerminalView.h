#pragma once

#include <QPlainTextEdit>
#include <cstdint>
#include <functional>
#include <string>

// The terminal pane: shows the line's bytes in a fixed-width font and hands every key
// to the engine instead of editing its text. Text arrives from the controls model,
// appended where the model appended.
class TerminalView : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TerminalView(QWidget* parent = nullptr);

    void setBytes(const std::string& bytes);
    void appendBytes(const std::string& bytes);

    // Key down (key code, Shift, Ctrl, Alt), then one key press per character.
    std::function<void(int, bool, bool, bool)> onKeyDown;
    std::function<void(int16_t)> onKeyPress;

    // The character codes a key event stands for: one byte each, nothing for keys
    // without a character or characters beyond Latin-1.
    static std::string keyBytes(const QKeyEvent& event);
    // Key codes as the engine knows them (F1 is 112); 0 for keys it has no code for.
    static int keyCode(const QKeyEvent& event);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    static QString display(const std::string& bytes);
    void scrollToEnd();
};
