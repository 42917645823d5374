#pragma once

#include <QStyledItemDelegate>

// Paints an entry as the standard delegate does, but the keyboard focus frame around the whole
// row, check box included, where the standard delegate frames the text alone.
class RowFocusDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};
