#include "ui/AccessibleWebsiteList.h"

#include "ui/AccessibleListCells.h"

#include <QHeaderView>
#include <QTableView>

AccessibleWebsiteList::AccessibleWebsiteList(QTableView* view)
    : QAccessibleWidget(view, QAccessible::Table) {}

AccessibleWebsiteList::~AccessibleWebsiteList() {
    forgetChildren();
}

QTableView* AccessibleWebsiteList::view() const {
    return static_cast<QTableView*>(widget());
}

int AccessibleWebsiteList::headerRows() const {
    return view()->horizontalHeader()->isHidden() ? 0 : 1;
}

int AccessibleWebsiteList::columnCount() const {
    return view()->model() ? view()->model()->columnCount() : 0;
}

int AccessibleWebsiteList::rowCount() const {
    return view()->model() ? view()->model()->rowCount() : 0;
}

int AccessibleWebsiteList::childCount() const {
    return columnCount() == 0 ? 0 : (headerRows() + rowCount()) * columnCount();
}

QAccessibleInterface* AccessibleWebsiteList::child(int index) const {
    if (index < 0 || index >= childCount())
        return nullptr;
    if (const auto known = children_.constFind(index); known != children_.cend())
        if (QAccessibleInterface* const existing = QAccessible::accessibleInterface(*known))
            return existing;
    QAccessibleInterface* const made = makeChild(index);
    children_.insert(index, QAccessible::registerAccessibleInterface(made));
    return made;
}

QAccessibleInterface* AccessibleWebsiteList::makeChild(int index) const {
    const int row = index / columnCount() - headerRows();
    const int column = index % columnCount();
    if (row < 0)
        return new AccessibleListColumnHeader(view(), column);
    return new AccessibleListCell(view(), row, column);
}

// A child's number follows from its place, without a search: a screen reader asks it of every
// cell it reads.
int AccessibleWebsiteList::indexOfChild(const QAccessibleInterface* child) const {
    if (const auto* cell = dynamic_cast<const AccessibleListCell*>(child))
        return (headerRows() + cell->rowIndex()) * columnCount() + cell->columnIndex();
    if (const auto* header = dynamic_cast<const AccessibleListColumnHeader*>(child))
        return header->column();
    return -1;
}

QAccessibleInterface* AccessibleWebsiteList::cellAt(int row, int column) const {
    if (row < 0 || column < 0 || column >= columnCount())
        return nullptr;
    return child((headerRows() + row) * columnCount() + column); // none past the last row
}

QAccessibleInterface* AccessibleWebsiteList::childAt(int x, int y) const {
    const QModelIndex index = view()->indexAt(view()->viewport()->mapFromGlobal(QPoint(x, y)));
    if (index.isValid())
        return cellAt(index.row(), index.column());
    const QHeaderView* header = view()->horizontalHeader();
    const QPoint inHeader = header->viewport()->mapFromGlobal(QPoint(x, y));
    const int column = header->logicalIndexAt(inHeader);
    if (headerRows() == 1 && header->viewport()->rect().contains(inHeader) && column >= 0)
        return child(column);
    return nullptr;
}

QAccessibleInterface* AccessibleWebsiteList::focusChild() const {
    const QModelIndex current = view()->currentIndex();
    return view()->hasFocus() ? cellAt(current.row(), current.column()) : nullptr;
}

void* AccessibleWebsiteList::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

int AccessibleWebsiteList::selectedCellCount() const {
    return int(view()->selectionModel()->selectedIndexes().size());
}

QList<QAccessibleInterface*> AccessibleWebsiteList::selectedCells() const {
    QList<QAccessibleInterface*> cells;
    for (const QModelIndex& index : view()->selectionModel()->selectedIndexes())
        cells.append(cellAt(index.row(), index.column()));
    return cells;
}

QString AccessibleWebsiteList::columnDescription(int column) const {
    return view()->model() ? view()->model()->headerData(column, Qt::Horizontal).toString()
                           : QString();
}

QList<int> AccessibleWebsiteList::selectedRows() const {
    QList<int> rows;
    for (const QModelIndex& index : view()->selectionModel()->selectedRows())
        rows.append(index.row());
    return rows;
}

int AccessibleWebsiteList::selectedRowCount() const {
    return int(selectedRows().size());
}

bool AccessibleWebsiteList::isRowSelected(int row) const {
    return view()->selectionModel()->isRowSelected(row);
}

bool AccessibleWebsiteList::selectRow(int row) {
    if (row < 0 || row >= rowCount())
        return false;
    view()->selectionModel()->select(view()->model()->index(row, 0),
                                     QItemSelectionModel::ClearAndSelect |
                                         QItemSelectionModel::Rows);
    return true;
}

bool AccessibleWebsiteList::unselectRow(int row) {
    if (row < 0 || row >= rowCount())
        return false;
    view()->selectionModel()->select(view()->model()->index(row, 0),
                                     QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    return true;
}

// A changed text or check mark keeps every child where it is; rows or columns that come or go
// move the children after them, so all are made anew when next asked for.
void AccessibleWebsiteList::modelChange(QAccessibleTableModelChangeEvent* event) {
    if (event->modelChangeType() != QAccessibleTableModelChangeEvent::DataChanged)
        forgetChildren();
}

void AccessibleWebsiteList::forgetChildren() {
    for (const QAccessible::Id id : std::as_const(children_))
        if (QAccessible::accessibleInterface(id) != nullptr)
            QAccessible::deleteAccessibleInterface(id);
    children_.clear();
}
