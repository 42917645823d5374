#include "list/WebsiteList.h"

#include "base/ByteScan.h"
#include "base/Failure.h"
#include "base/FormatControls.h"
#include "base/HugePages.h"
#include "base/TextDecoding.h"

#include <QStringEncoder>
#include <algorithm>
#include <utility>

namespace {

// New texts are copied into blocks of this many bytes; a longer text gets its own block.
constexpr qsizetype blockBytes = qsizetype(4) << 20;

void checkEntryLength(qsizetype bytes) {
    if (bytes > WebsiteList::longestEntryBytes)
        throw Failure(
            QStringLiteral("An entry of %1 bytes is longer than the list can hold").arg(bytes));
}

} // namespace

QString WebsiteList::text(int row) const {
    return fromUtf8KeepingByteOrderMark(utf8(row));
}

QByteArrayView WebsiteList::utf8(int row) const {
    const Entry& entry = entryAt(row);
    return QByteArrayView(blocks_[entry.block]).sliced(entry.start, entry.length);
}

QString WebsiteList::shownText(int row) const {
    const QByteArrayView bytes = utf8(row);
    // A UTF-16 code unit takes at most 3 bytes, so these bytes hold shownLength + 1 whole units
    // when the text goes on past them; only they are decoded.
    const qsizetype enough = (shownLength + 2) * 3;
    QString text = fromUtf8KeepingByteOrderMark(bytes.first(std::min(bytes.size(), enough)));
    if (text.size() <= shownLength)
        return withFormatControlsVisible(text);
    text.truncate(shownLength);
    if (text.back().isHighSurrogate())
        text.chop(1); // not half a character
    text += QChar(0x2026);
    return withFormatControlsVisible(text);
}

void WebsiteList::setChecked(int row, bool checked) {
    entries_.at(static_cast<size_t>(row)).checked = checked;
    const QModelIndex cell = index(row, 0);
    emit dataChanged(cell, cell, {Qt::CheckStateRole});
}

void WebsiteList::openBlock(qsizetype bytes) {
    // The bytes past what is filled are never read, so they stay uninitialized, and pages the
    // texts never reach are never touched.
    blocks_.emplace_back(std::max(blockBytes, bytes), Qt::Uninitialized);
    openData_ = blocks_.back().data();
    openBlock_ = static_cast<std::uint32_t>(blocks_.size() - 1);
    openFilled_ = 0;
    openSize_ = blocks_.back().size();
}

void WebsiteList::storeUtf8(QByteArrayView utf8) {
    checkEntryLength(utf8.size());
    std::copy(utf8.begin(), utf8.end(), roomFor(utf8.size()));
    keepStored(utf8.size());
}

void WebsiteList::store(QStringView text) {
    // Room for the longest encoding first; the block keeps what the text really took.
    char* start = roomFor(text.size() * 3);
    QStringEncoder encoder(QStringConverter::Utf8);
    const char* end = encoder.appendToBuffer(start, text);
    const qsizetype length = end - start;
    checkEntryLength(length); // a text too long is not kept: its bytes count as unused
    keepStored(length);
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

// Room for as many entries as the first bytes of the text suggest, and a tenth more: counting
// every separator first would cost as much as the split, and growing the vector as it fills
// copies and touches twice the memory. A text whose later entries are shorter only makes the
// vector grow once more.
void WebsiteList::reserveForSplit(QByteArrayView utf8Text, char separator) {
    constexpr qsizetype sampleBytes = qsizetype(1) << 20;
    if (utf8Text.isEmpty())
        return;
    const QByteArrayView sample = utf8Text.first(std::min(utf8Text.size(), sampleBytes));
    const auto separators =
        static_cast<double>(std::count(sample.begin(), sample.end(), separator));
    const double expected = (separators + 1) * static_cast<double>(utf8Text.size()) /
                            static_cast<double>(sample.size()) * 1.1;
    entries_.reserve(entries_.size() + static_cast<size_t>(expected));
    adviseHugePages(entries_.data() + entries_.size(),
                    (entries_.capacity() - entries_.size()) * sizeof(Entry));
}

void WebsiteList::appendSplitUtf8(QByteArray utf8Text, char separator) {
    // The text becomes a block of its own (appends never write into it). Its place is reserved
    // first and the entries are taken back on any failure (no memory, an entry too long), so
    // that the list is never left with entries whose text is missing.
    blocks_.reserve(blocks_.size() + 1);
    const auto block = static_cast<std::uint32_t>(blocks_.size());
    const size_t firstNew = entries_.size();
    const auto addPiece = [&](qsizetype start, qsizetype pieceEnd) {
        if (pieceEnd == start)
            return;
        checkEntryLength(pieceEnd - start);
        entries_.push_back({start, static_cast<std::uint32_t>(pieceEnd - start), block, false});
    };
    try {
        reserveForSplit(utf8Text, separator);
        qsizetype start = 0;
        ByteScan::forEachByte(utf8Text, separator, [&](qsizetype found) {
            addPiece(start, found);
            start = found + 1;
        });
        addPiece(start, utf8Text.size());
    } catch (...) {
        entries_.resize(firstNew);
        throw;
    }
    if (entries_.size() == firstNew)
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
    openData_ = nullptr; // the next text opens a block
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
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return index.column() == 0 ? shownText(index.row()) : QString();
    if (role == Qt::EditRole)
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
