#pragma once

#include <QWidget>
#include <functional>

class QPlainTextEdit;

// frmChecksum: a selected model's checksum reference file, in a window of its own
// beside the main window.
class ChecksumWindow : public QWidget {
    Q_OBJECT
public:
    explicit ChecksumWindow(QWidget* parent = nullptr);

    void showText(const QString& caption, const QString& text);
    // Told when the user closes the window.
    std::function<void()> onClosed;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QPlainTextEdit* text_;
};
