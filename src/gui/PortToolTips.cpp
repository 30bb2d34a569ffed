#include "gui/PortToolTips.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>

#include "host/ComPortMapping.h"

PortToolTips::PortToolTips(QComboBox* selector, ComPortMapping& ports)
    : QObject(selector), selector_(selector), list_(selector->view()), ports_(ports) {
    selector_->installEventFilter(this);
    list_->installEventFilter(this);
}

void PortToolTips::update() {
    // The selector's items are "None" and then Com 1 to Com 9 at their own numbers.
    for (int n = ComPortMapping::FirstPort; n <= ComPortMapping::LastPort && n < selector_->count(); ++n)
        selector_->setItemData(n, ports_.describe(n), Qt::ToolTipRole);
    const int current = selector_->findText(selector_->currentText());
    selector_->setToolTip(current >= 0 ? selector_->itemData(current, Qt::ToolTipRole).toString() : QString());
}

bool PortToolTips::eventFilter(QObject* watched, QEvent* event) {
    const bool tipAboutToShow = watched == selector_ && event->type() == QEvent::ToolTip;
    // Compared, never called: the filter also sees the selector's last events as it goes.
    const bool listAboutToShow = watched == list_ && event->type() == QEvent::Show;
    if (tipAboutToShow || listAboutToShow) {
        ports_.refresh();
        update();
    }
    return QObject::eventFilter(watched, event);
}
