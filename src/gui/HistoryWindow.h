#pragma once

#include <QDialog>

class QLabel;
class QTreeWidget;
class QtUploadHistory;

// Options > Upload History: the uploads kept, newest first, and the transcript of the
// one chosen in a read-only viewer.
class HistoryWindow : public QDialog {
    Q_OBJECT
public:
    explicit HistoryWindow(const QtUploadHistory& history, QWidget* parent = nullptr);

    void refresh();
    void openTranscript();

private:
    void showDetails();

    const QtUploadHistory& history_;
    QTreeWidget* list_ = nullptr;
    QLabel* details_ = nullptr;
};
