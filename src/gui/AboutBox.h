#pragma once

#include <QDialog>
#include <QString>

class QPushButton;

// frmAbout: the program's title, version and maker, and a way to the host's
// system-information tool where one is installed.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);

    // The system-information tool on this host, or empty when none is installed.
    static QString systemInfoTool();

private:
    void startSystemInfo();

    QPushButton* systemInfo_;
};
