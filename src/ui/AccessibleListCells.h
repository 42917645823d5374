#pragma once

#include <QAccessibleInterface>
#include <QModelIndex>
#include <QPointer>
#include <QTableView>

// The parts of the website list that assistive technology reads one by one: leaves of the
// list's table (AccessibleWebsiteList), drawn by its view. They live no longer than the list's
// own description, which makes and deletes them.
class AccessibleListPart : public QAccessibleInterface {
public:
    explicit AccessibleListPart(QTableView* view) : view_(view) {}

    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* childAt(int /*x*/, int /*y*/) const override { return nullptr; }
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int /*index*/) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface* /*child*/) const override { return -1; }
    void setText(QAccessible::Text /*type*/, const QString& /*text*/) override {}

protected:
    QPointer<QTableView> view_;
};

// An entry's cell: named by the entry's text, an empty entry as empty. An entry with a check
// box is a check box to a screen reader, checked or not, and can be toggled; the platform
// bridge announces no "checkable" state for a plain table cell, so an unticked entry would
// sound like any text.
class AccessibleListCell : public AccessibleListPart,
                           public QAccessibleTableCellInterface,
                           public QAccessibleActionInterface {
public:
    AccessibleListCell(QTableView* view, int row, int column);

    bool isValid() const override;
    QString text(QAccessible::Text type) const override;
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    // QAccessibleTableCellInterface
    bool isSelected() const override;
    QList<QAccessibleInterface*> columnHeaderCells() const override;
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return column_; }
    int rowIndex() const override { return row_; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

    // QAccessibleActionInterface: a check box toggles.
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString& /*actionName*/) const override { return {}; }

private:
    QModelIndex index() const;
    bool isCheckable() const;

    int row_;
    int column_;
};

// A column's header above the entries, named by its caption.
class AccessibleListColumnHeader : public AccessibleListPart {
public:
    AccessibleListColumnHeader(QTableView* view, int column);

    bool isValid() const override;
    QString text(QAccessible::Text type) const override;
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::ColumnHeader; }
    QAccessible::State state() const override { return {}; }

    int column() const { return column_; }

private:
    int column_;
};
