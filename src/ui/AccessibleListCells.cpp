#include "ui/AccessibleListCells.h"

#include <QHeaderView>
#include <QWidget>

QWindow* AccessibleListPart::window() const {
    return view_ ? view_->window()->windowHandle() : nullptr;
}

QAccessibleInterface* AccessibleListPart::parent() const {
    return QAccessible::queryAccessibleInterface(view_);
}

AccessibleListCell::AccessibleListCell(QTableView* view, int row, int column)
    : AccessibleListPart(view), row_(row), column_(column) {}

QModelIndex AccessibleListCell::index() const {
    return view_ ? view_->model()->index(row_, column_) : QModelIndex();
}

bool AccessibleListCell::isValid() const {
    return index().isValid();
}

// An empty entry shows nothing, but a check box without a name is one a screen reader passes
// over in silence: it is named as empty.
QString AccessibleListCell::text(QAccessible::Text type) const {
    if (type != QAccessible::Name)
        return {};
    const QString shown = index().data(Qt::DisplayRole).toString();
    return shown.isEmpty() && isValid() ? QStringLiteral("Empty entry") : shown;
}

// Empty for a row that is gone.
QRect AccessibleListCell::rect() const {
    return view_->visualRect(index()).translated(view_->viewport()->mapToGlobal(QPoint(0, 0)));
}

bool AccessibleListCell::isCheckable() const {
    return index().flags().testFlag(Qt::ItemIsUserCheckable);
}

QAccessible::Role AccessibleListCell::role() const {
    return isCheckable() ? QAccessible::CheckBox : QAccessible::Cell;
}

QAccessible::State AccessibleListCell::state() const {
    QAccessible::State state;
    const QModelIndex cell = index();
    if (!cell.isValid()) {
        state.invalid = true;
        return state;
    }
    const Qt::ItemFlags flags = cell.flags();
    state.selectable = flags.testFlag(Qt::ItemIsSelectable);
    state.focusable = state.selectable;
    state.selected = isSelected();
    state.focused = view_->hasFocus() && view_->currentIndex() == cell;
    state.checkable = isCheckable();
    state.checked = state.checkable && cell.data(Qt::CheckStateRole).toInt() == Qt::Checked;
    state.offscreen = !view_->viewport()->rect().intersects(view_->visualRect(cell));
    return state;
}

void* AccessibleListCell::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TableCellInterface)
        return static_cast<QAccessibleTableCellInterface*>(this);
    if (type == QAccessible::ActionInterface)
        return static_cast<QAccessibleActionInterface*>(this);
    return nullptr;
}

bool AccessibleListCell::isSelected() const {
    return isValid() && view_->selectionModel()->isSelected(index());
}

// The list's first children are the column headers, while the header is shown.
QList<QAccessibleInterface*> AccessibleListCell::columnHeaderCells() const {
    QAccessibleInterface* const header = parent()->child(column_);
    return header->role() == QAccessible::ColumnHeader ? QList<QAccessibleInterface*>{header}
                                                       : QList<QAccessibleInterface*>{};
}

QStringList AccessibleListCell::actionNames() const {
    return isCheckable() ? QStringList{toggleAction()} : QStringList{};
}

void AccessibleListCell::doAction(const QString& actionName) {
    if (actionName != toggleAction() || !isCheckable())
        return;
    const bool checked = index().data(Qt::CheckStateRole).toInt() == Qt::Checked;
    view_->model()->setData(index(), checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
}

AccessibleListColumnHeader::AccessibleListColumnHeader(QTableView* view, int column)
    : AccessibleListPart(view), column_(column) {}

bool AccessibleListColumnHeader::isValid() const {
    return view_ && column_ < view_->model()->columnCount();
}

QString AccessibleListColumnHeader::text(QAccessible::Text type) const {
    if (type != QAccessible::Name || !isValid())
        return {};
    return view_->model()->headerData(column_, Qt::Horizontal).toString();
}

QRect AccessibleListColumnHeader::rect() const {
    if (!isValid())
        return {};
    const QHeaderView* header = view_->horizontalHeader();
    return QRect(header->sectionViewportPosition(column_), 0, header->sectionSize(column_),
                 header->height())
        .translated(header->viewport()->mapToGlobal(QPoint(0, 0)));
}
