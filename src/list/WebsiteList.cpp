#include "list/WebsiteList.h"

#include "base/TextDecoding.h"

#include <QStringEncoder>
#include <algorithm>
#include <utility>

namespace {

// New texts are copied into blocks of this many bytes; a longer text gets its own block.
constexpr qsizetype blockBytes = qsizetype(4) << 20;

} // namespace

QString WebsiteList::text(int row) const {
    return fromUtf8KeepingByteOrderMark(utf8(row));
}

QByteArrayView WebsiteList::utf8(int row) const {
    const Entry& entry = entryAt(row);
    return QByteArrayView(blocks_[entry.block]).sliced(entry.start, entry.length);
}

void WebsiteList::setChecked(int row, bool checked) {
    entries_.at(static_cast<size_t>(row)).checked = checked;
    const QModelIndex cell = index(row, 0);
    emit dataChanged(cell, cell, {Qt::CheckStateRole});
}

QByteArray& WebsiteList::blockWithRoomFor(qsizetype bytes) {
    const bool fits =
        !blocks_.empty() && blocks_.back().capacity() - blocks_.back().size() >= bytes;
    if (!fits) {
        blocks_.emplace_back();
        blocks_.back().reserve(std::max(blockBytes, bytes));
    }
    return blocks_.back();
}

void WebsiteList::storeUtf8(QByteArrayView utf8) {
    QByteArray& block = blockWithRoomFor(utf8.size());
    entries_.push_back({static_cast<std::uint32_t>(blocks_.size() - 1),
                        static_cast<std::uint32_t>(utf8.size()), block.size(), false});
    block.append(utf8);
}

void WebsiteList::store(QStringView text) {
    // Room for the longest encoding first; the block keeps what the text really took.
    const qsizetype most = text.size() * 3;
    QByteArray& block = blockWithRoomFor(most);
    const qsizetype start = block.size();
    block.resize(start + most);
    QStringEncoder encoder(QStringConverter::Utf8);
    char* end = encoder.appendToBuffer(block.data() + start, text);
    block.truncate(end - block.constData());
    entries_.push_back({static_cast<std::uint32_t>(blocks_.size() - 1),
                        static_cast<std::uint32_t>(block.size() - start), start, false});
}

void WebsiteList::announceStored() {
    if (announced_ == count())
        return;
    beginInsertRows({}, announced_, count() - 1);
    announced_ = count();
    endInsertRows();
}

void WebsiteList::append(QStringView text) {
    BulkAppend bulk(*this);
    bulk.add(text);
}

void WebsiteList::appendSplitUtf8(QByteArray utf8Text, char separator) {
    // Everything that allocates comes first: running out of memory then leaves the list as it
    // was, never with entries whose text is missing.
    utf8Text.squeeze(); // the text becomes a block of its own; a later append must not grow it
    const QByteArrayView all(utf8Text);
    entries_.reserve(entries_.size() + static_cast<size_t>(all.count(separator)) + 1);
    blocks_.reserve(blocks_.size() + 1);
    const auto block = static_cast<std::uint32_t>(blocks_.size());
    const qsizetype firstNew = count();
    qsizetype start = 0;
    while (start <= all.size()) {
        qsizetype end = all.indexOf(separator, start);
        if (end < 0)
            end = all.size();
        if (end > start)
            entries_.push_back({block, static_cast<std::uint32_t>(end - start), start, false});
        start = end + 1;
    }
    if (count() == firstNew)
        return;
    blocks_.push_back(std::move(utf8Text));
    announceStored();
}

void WebsiteList::removeAt(int row) {
    announceStored();
    if (row < 0 || row >= count())
        return;
    beginRemoveRows({}, row, row);
    entries_.erase(entries_.begin() + row);
    --announced_;
    endRemoveRows();
}

void WebsiteList::clear() {
    beginResetModel();
    entries_.clear();
    entries_.shrink_to_fit();
    blocks_.clear();
    blocks_.shrink_to_fit();
    announced_ = 0;
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

qsizetype WebsiteList::cellLength(int row, int column) const {
    return column == 0 ? utf16Length(utf8(row)) : 0;
}

int WebsiteList::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : announced_;
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
