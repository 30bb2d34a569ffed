#pragma once

#include <QWidget>
#include <cstddef>
#include <functional>
#include <optional>

class QPlainTextEdit;

// frmChecksum: a selected model's checksum reference file, in a window of its own
// beside the main window.
class ChecksumWindow : public QWidget {
    Q_OBJECT
public:
    explicit ChecksumWindow(QWidget* parent = nullptr);

    // The marked line (from 0) is highlighted and scrolled into view.
    void showText(const QString& caption, const QString& text, std::optional<size_t> markedLine);
    // Told when the user closes the window.
    std::function<void()> onClosed;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPlainTextEdit* text_;
};
