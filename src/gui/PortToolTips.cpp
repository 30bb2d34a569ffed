#include "gui/PortToolTips.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include "host/ComPortMapping.h"

namespace {

constexpr int MarkGap = 24;

// An item as the list draws it, with its mark dimmed in a column of its own after the
// widest item text.
class MarkedItemDelegate : public QStyledItemDelegate {
public:
    explicit MarkedItemDelegate(QComboBox* selector) : QStyledItemDelegate(selector), selector_(selector) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QString mark = index.data(PortToolTips::MarkRole).toString();
        const bool absent = !mark.isEmpty() && !index.data(PortToolTips::PresentRole).toBool();
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette::ColorRole role = selected ? QPalette::HighlightedText : QPalette::Text;
        const QColor ink = option.palette.color(absent ? QPalette::Disabled : QPalette::Active, role);
        QStyleOptionViewItem item = option;
        item.palette.setColor(role, ink);
        QStyledItemDelegate::paint(painter, item, index);
        if (mark.isEmpty()) return;
        QRect area = option.rect;
        area.setLeft(area.left() + textColumn(option) + MarkGap);
        painter->save();
        painter->setPen(ink);
        painter->drawText(area, Qt::AlignLeft | Qt::AlignVCenter, mark);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        const QString mark = index.data(PortToolTips::MarkRole).toString();
        if (!mark.isEmpty())
            size.setWidth(textColumn(option) + MarkGap + option.fontMetrics.horizontalAdvance(mark) + MarkGap);
        return size;
    }

private:
    // Where the marks start: past the widest item text, so that they line up.
    int textColumn(const QStyleOptionViewItem& option) const {
        int widest = 0;
        for (int i = 0; i < selector_->count(); ++i)
            widest = qMax(widest, option.fontMetrics.horizontalAdvance(selector_->itemText(i)));
        return widest + 8;
    }

    QComboBox* selector_;
};

}  // namespace

PortToolTips::PortToolTips(QComboBox* selector, ComPortMapping& ports)
    : QObject(selector), selector_(selector), list_(selector->view()), ports_(ports) {
    selector_->setItemDelegate(new MarkedItemDelegate(selector_));
    selector_->installEventFilter(this);
    list_->installEventFilter(this);
}

void PortToolTips::update() {
    // The selector's items are "None" and then Com 1 to Com 9 at their own numbers.
    for (int n = ComPortMapping::FirstPort; n <= ComPortMapping::LastPort && n < selector_->count(); ++n) {
        selector_->setItemData(n, ports_.describe(n), Qt::ToolTipRole);
        selector_->setItemData(n, ports_.mark(n), MarkRole);
        selector_->setItemData(n, ports_.present(n), PresentRole);
    }
    const int current = selector_->findText(selector_->currentText());
    selector_->setToolTip(current >= 0 ? selector_->itemData(current, Qt::ToolTipRole).toString() : QString());
    // The list is as wide as its longest item with its mark.
    selector_->view()->setMinimumWidth(selector_->view()->sizeHintForColumn(0));
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
