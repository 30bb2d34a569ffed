#pragma once

#include <QObject>

class ComPortMapping;
class QComboBox;

// The port selector's tool tips and presence marks: each "Com n" item names the device it
// is on this machine and what is there, in its tool tip and, in brief, beside its own text
// in the list ("ttyUSB0, FT232R", "not present", dimmed), which stays the text the engine reads.
// The selector's tool tip is its current item's. Read afresh whenever one is about to
// show, so a device plugged in meanwhile is seen.
class PortToolTips : public QObject {
    Q_OBJECT
public:
    PortToolTips(QComboBox* selector, ComPortMapping& ports);

    // Where an item's mark is kept, and whether its device is there (the others are dimmed).
    static constexpr int MarkRole = Qt::UserRole + 1;
    static constexpr int PresentRole = Qt::UserRole + 2;

    // Shows the mapping as it is now, without listing the devices again.
    void update();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QComboBox* selector_;
    QObject* list_;
    ComPortMapping& ports_;
};
