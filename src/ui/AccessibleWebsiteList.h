#pragma once

#include <QAccessibleWidget>
#include <QHash>

class QTableView;

// The website list as a screen reader reads it: a table named as the list, whose children are
// the column header and then each entry's cells, row by row (AccessibleListCells.h). A table
// view's own accessible table also lists a corner button and a header cell for each row, even
// with the row numbers hidden: empty, unnamed objects a screen reader would stop at.
//
// Children are made when asked for and kept until the rows or columns change; their order
// matches the child numbers the view gives in its focus events.
class AccessibleWebsiteList : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit AccessibleWebsiteList(QTableView* view);
    ~AccessibleWebsiteList() override;
    AccessibleWebsiteList(const AccessibleWebsiteList&) = delete;
    AccessibleWebsiteList& operator=(const AccessibleWebsiteList&) = delete;

    QAccessibleInterface* child(int index) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    // QAccessibleTableInterface
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override;
    int selectedCellCount() const override;
    QList<QAccessibleInterface*> selectedCells() const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int /*row*/) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override;
    int columnCount() const override;
    int rowCount() const override;
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override;
    bool isColumnSelected(int /*column*/) const override { return false; }
    bool isRowSelected(int row) const override;
    bool selectRow(int row) override;
    bool selectColumn(int /*column*/) override { return false; }
    bool unselectRow(int row) override;
    bool unselectColumn(int /*column*/) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent* event) override;

private:
    QTableView* view() const;
    // 1 while the column header is shown: its cells come before the entries.
    int headerRows() const;
    QAccessibleInterface* makeChild(int index) const;
    void forgetChildren();

    mutable QHash<int, QAccessible::Id> children_;
};
