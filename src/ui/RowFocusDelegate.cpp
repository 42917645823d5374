#include "ui/RowFocusDelegate.h"

#include <QApplication>
#include <QStyle>

void RowFocusDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    QStyleOptionViewItem cell = option;
    cell.state &= ~QStyle::State_HasFocus;
    QStyledItemDelegate::paint(painter, cell, index);
    if (!option.state.testFlag(QStyle::State_HasFocus))
        return;
    QStyleOptionFocusRect focus;
    focus.QStyleOption::operator=(option);
    focus.state |= QStyle::State_KeyboardFocusChange;
    const QPalette::ColorGroup group =
        option.state.testFlag(QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
    focus.backgroundColor = option.palette.color(
        group,
        option.state.testFlag(QStyle::State_Selected) ? QPalette::Highlight : QPalette::Window);
    // Drawn for no widget, as item views draw a row's frame: a skin's outline rule for the list
    // is about the list's own frame, not the focused row.
    const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter);
}
