#include "ui/flow_layout.h"

#include <QWidget>
#include <algorithm>

namespace protmon {

TFlowLayout::TFlowLayout(QWidget* parent, int spacing) : QLayout(parent) {
    setSpacing(spacing);
}

TFlowLayout::~TFlowLayout() {
    while (QLayoutItem* item = takeAt(0))
        delete item;
}

void TFlowLayout::addItem(QLayoutItem* item) {
    items_.append(item);
}

QLayoutItem* TFlowLayout::takeAt(int index) {
    return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
}

int TFlowLayout::heightForWidth(int width) const {
    return Arrange(QRect(0, 0, width, 0), false);
}

QSize TFlowLayout::minimumSize() const {
    // As narrow as the widest item: everything else goes onto further rows.
    QSize size;
    for (const QLayoutItem* item : items_)
        size = size.expandedTo(item->minimumSize());
    const QMargins m = contentsMargins();
    return size + QSize(m.left() + m.right(), m.top() + m.bottom());
}

QSize TFlowLayout::sizeHint() const {
    // All items in one row.
    int width = 0;
    int height = 0;
    for (const QLayoutItem* item : items_) {
        const QSize hint = item->sizeHint().expandedTo(item->minimumSize());
        width += hint.width() + (width > 0 ? spacing() : 0);
        height = std::max(height, hint.height());
    }
    const QMargins m = contentsMargins();
    return {width + m.left() + m.right(), height + m.top() + m.bottom()};
}

void TFlowLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    Arrange(rect, true);
}

int TFlowLayout::Arrange(const QRect& rect, bool apply) const {
    const QRect area = rect.marginsRemoved(contentsMargins());
    // Rows first, so that each row's items can share its height.
    struct TRow {
        int First = 0;
        int End = 0;
        int Height = 0;
    };
    QList<TRow> rows;
    int x = 0;
    for (int i = 0; i < items_.size(); ++i) {
        const QSize hint = items_[i]->sizeHint().expandedTo(items_[i]->minimumSize());
        // The last item stretches over what is left, so its minimum decides whether it fits.
        const int wanted = i == items_.size() - 1 ? items_[i]->minimumSize().width() : hint.width();
        const int need = std::min(wanted, area.width());
        if (rows.isEmpty() || (x > 0 && x + spacing() + need > area.width())) {
            rows.append({i, i, 0});
            x = 0;
        } else if (x > 0) {
            x += spacing();
        }
        x += need;
        rows.last().End = i + 1;
        rows.last().Height = std::max(rows.last().Height, hint.height());
    }
    int y = area.top();
    for (const TRow& row : rows) {
        int left = area.left();
        for (int i = row.First; i < row.End; ++i) {
            QLayoutItem* item = items_[i];
            const QSize hint = item->sizeHint().expandedTo(item->minimumSize());
            int width = std::min(hint.width(), area.width());
            // The last item of the layout fills its row.
            if (i == items_.size() - 1)
                width = std::max(item->minimumSize().width(), area.right() + 1 - left);
            if (apply)
                item->setGeometry(QRect(left, y, width, row.Height));
            left += width + spacing();
        }
        y += row.Height + spacing();
    }
    const QMargins m = contentsMargins();
    return (rows.isEmpty() ? 0 : y - spacing() - area.top()) + m.top() + m.bottom();
}

} // namespace protmon
