#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>
#include <vector>

// The website entries that ListView1 shows: one address text and a check mark each, in the
// order they were added. Rows are 0-based here; the commands speak of positions 1 to count.
// The entries live in one contiguous vector, so a million of them stay cheap to show and scan.
class WebsiteList : public QAbstractTableModel {
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    int count() const { return static_cast<int>(entries_.size()); }
    const QString& text(int row) const { return entries_.at(static_cast<size_t>(row)).text; }
    bool isChecked(int row) const { return entries_.at(static_cast<size_t>(row)).checked; }
    void setChecked(int row, bool checked);

    void append(const QString& text);
    // Appends many entries with one notification to the views.
    void appendMany(std::vector<QString> texts);
    void removeAt(int row);
    void clear();

    // Column headers: the list has none until start-up adds its one column.
    void addColumn(const QString& caption);
    const QStringList& columnCaptions() const { return captions_; }
    // The text of a cell: the entry's text in column 0; entries have no sub-items.
    QString cellText(int row, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Entry {
        QString text;
        bool checked = false;
    };
    std::vector<Entry> entries_;
    QStringList captions_;
};
