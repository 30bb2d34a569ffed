#pragma once

#include <QObject>

class ComPortMapping;
class QComboBox;

// The port selector's tool tips: each "Com n" item names the device it is on this
// machine and what is there, and so does the selector for its current item. Read
// afresh whenever one is about to show, so a device plugged in meanwhile is seen.
class PortToolTips : public QObject {
    Q_OBJECT
public:
    PortToolTips(QComboBox* selector, ComPortMapping& ports);

    // Shows the mapping as it is now, without listing the devices again.
    void update();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QComboBox* selector_;
    QObject* list_;
    ComPortMapping& ports_;
};
