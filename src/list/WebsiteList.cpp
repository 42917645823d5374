#include "list/WebsiteList.h"

#include <utility>

void WebsiteList::setChecked(int row, bool checked) {
    entries_.at(static_cast<size_t>(row)).checked = checked;
    const QModelIndex cell = index(row, 0);
    emit dataChanged(cell, cell, {Qt::CheckStateRole});
}

void WebsiteList::append(const QString& text) {
    const int row = count();
    beginInsertRows({}, row, row);
    entries_.push_back({text, false});
    endInsertRows();
}

void WebsiteList::appendMany(std::vector<QString> texts) {
    if (texts.empty())
        return;
    const int first = count();
    beginInsertRows({}, first, first + static_cast<int>(texts.size()) - 1);
    entries_.reserve(entries_.size() + texts.size());
    for (QString& text : texts)
        entries_.push_back({std::move(text), false});
    endInsertRows();
}

void WebsiteList::removeAt(int row) {
    if (row < 0 || row >= count())
        return;
    beginRemoveRows({}, row, row);
    entries_.erase(entries_.begin() + row);
    endRemoveRows();
}

void WebsiteList::clear() {
    beginResetModel();
    entries_.clear();
    entries_.shrink_to_fit();
    endResetModel();
}

void WebsiteList::addColumn(const QString& caption) {
    const int column = static_cast<int>(captions_.size());
    beginInsertColumns({}, column, column);
    captions_.append(caption);
    endInsertColumns();
}

QString WebsiteList::cellText(int row, int column) const {
    return column == 0 ? text(row) : QString();
}

int WebsiteList::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

int WebsiteList::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(captions_.size());
}

QVariant WebsiteList::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole || role == Qt::AccessibleTextRole)
        return cellText(index.row(), index.column());
    if (role == Qt::CheckStateRole && index.column() == 0)
        return isChecked(index.row()) ? Qt::Checked : Qt::Unchecked;
    return {};
}

bool WebsiteList::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || index.column() != 0 ||
        !checkIndex(index, CheckIndexOption::IndexIsValid))
        return false;
    setChecked(index.row(), static_cast<Qt::CheckState>(value.toInt()) == Qt::Checked);
    return true;
}

QVariant WebsiteList::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < captions_.size())
        return captions_.at(section);
    return {};
}

Qt::ItemFlags WebsiteList::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == 0)
        result |= Qt::ItemIsUserCheckable;
    return result;
}
