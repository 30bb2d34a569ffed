#pragma once

#include <QDialog>

class ComPortMapping;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

// frmPorts: which device each of Com 1 to Com 9 is and where that comes from, the
// serial devices present now, and the means to give a port one of them, or any device
// path or network URL typed in, or take its device away again. The mapping decides; the window shows it and hands it the user's
// choices.
class PortsWindow : public QDialog {
    Q_OBJECT
public:
    explicit PortsWindow(ComPortMapping& ports, QWidget* parent = nullptr);

    // Lists the devices present again.
    void refresh();

signals:
    // Port number's device was assigned or cleared.
    void mappingChanged(int number);

private:
    void fill();
    void updateButtons();
    void assignSelected();
    void clearSelected();
    void useTypedDevice();
    int selectedPort() const;
    int selectedDevice() const;

    ComPortMapping& ports_;
    QTableWidget* portTable_;
    QTableWidget* deviceTable_;
    QPushButton* assignButton_;
    QPushButton* clearButton_;
    QLineEdit* deviceField_;
    QPushButton* useButton_;
    QLabel* deviceCheck_;
    // The port whose device the field shows.
    int editedPort_ = 0;
};
