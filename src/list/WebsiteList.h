#pragma once

#include <QAbstractTableModel>
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <limits>
#include <vector>

// The website entries that ListView1 shows: one address text and a check mark each, in the
// order they were added. Rows are 0-based here; the commands speak of positions 1 to count.
//
// The texts live as UTF-8 in a few large blocks and each entry is a span of one block, so a
// million entries cost a few allocations rather than a million, take about the size of the
// file they came from, and a restored list keeps the stored bytes themselves as its block.
// Texts are decoded only when asked for (a shown row, a pick, an export line). Removing an
// entry leaves its bytes unused in their block until the list is cleared.
//
// Views get an entry's text cut to shownLength characters: laying out a text of hundreds of
// megabytes takes Qt minutes and then crashes it. The commands read the whole text.
class WebsiteList : public QAbstractTableModel {
    Q_OBJECT

public:
    // The longest text a view gets of an entry, in UTF-16 code units; a longer one ends in "…".
    static constexpr qsizetype shownLength = 4096;
    // The longest entry the list holds, in UTF-8 bytes.
    static constexpr qsizetype longestEntryBytes = std::numeric_limits<std::uint32_t>::max();

    using QAbstractTableModel::QAbstractTableModel;

    int count() const { return static_cast<int>(entries_.size()); }
    QString text(int row) const;
    QByteArrayView utf8(int row) const;
    // The text as views show it: cut to shownLength.
    QString shownText(int row) const;
    bool isChecked(int row) const { return entryAt(row).checked; }
    void setChecked(int row, bool checked);

    // The appends throw Failure for a text longer than longestEntryBytes.
    void append(QStringView text);
    void append(const QString& text) { append(QStringView(text)); }
    // Appends every non-empty piece between separators of valid UTF-8 text, keeping the text
    // itself as the storage.
    void appendSplitUtf8(QByteArray utf8Text, char separator);
    void removeAt(int row);
    void clear();

    // Appends entries and tells the views once, when it is flushed or goes out of scope. For
    // loads that do not yield to the event loop in between.
    class BulkAppend {
    public:
        explicit BulkAppend(WebsiteList& list) : list_(list) {}
        ~BulkAppend() { flush(); }
        BulkAppend(const BulkAppend&) = delete;
        BulkAppend& operator=(const BulkAppend&) = delete;
        void add(QStringView text) { list_.store(text); }
        // Text that is valid UTF-8 already.
        void addUtf8(QByteArrayView utf8) { list_.storeUtf8(utf8); }
        void flush() { list_.announceStored(); }

    private:
        WebsiteList& list_;
    };

    // Column headers: the list has none until start-up adds its one column.
    void addColumn(const QString& caption);
    const QStringList& columnCaptions() const { return captions_; }
    // The text of a cell: the entry's text in column 0; entries have no sub-items.
    QString cellText(int row, int column) const;
    // The length of that text, without making the text.
    qsizetype cellLength(int row, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    // 16 bytes: a million entries take 16 MB beside their texts.
    struct Entry {
        qsizetype start;
        std::uint32_t length;
        std::uint32_t block : 31;
        std::uint32_t checked : 1;
    };

    const Entry& entryAt(int row) const { return entries_.at(static_cast<size_t>(row)); }
    // Copies text into the block being filled; the entry is not yet shown to the views.
    void store(QStringView text);
    void storeUtf8(QByteArrayView utf8);
    // Where the next text goes in the block being filled, with room for `bytes` more; opens a
    // new block when it has not. Inline, as is keepStored: the import calls both per entry.
    char* roomFor(qsizetype bytes) {
        if (openData_ == nullptr || openSize_ - openFilled_ < bytes)
            openBlock(bytes);
        return openData_ + openFilled_;
    }
    void openBlock(qsizetype bytes);
    // Keeps the `bytes` just written at roomFor's place as the next entry.
    void keepStored(qsizetype bytes) {
        entries_.push_back({openFilled_, static_cast<std::uint32_t>(bytes), openBlock_, false});
        openFilled_ += bytes;
    }
    void reserveForSplit(QByteArrayView utf8Text, char separator);
    // Tells the views about the entries stored since the last announcement.
    void announceStored();

    std::vector<QByteArray> blocks_;
    // The block that new texts are copied into, and how many of its bytes they fill; a stored
    // value taken over as a block is never written to. The open block is made at its full size
    // and filled through its data pointer, so that a stored text costs a copy and a compare
    // rather than a QByteArray append.
    char* openData_ = nullptr; // none yet
    std::uint32_t openBlock_ = 0;
    qsizetype openFilled_ = 0;
    qsizetype openSize_ = 0;
    std::vector<Entry> entries_;
    int announced_ = 0; // entries the views have been told about
    QStringList captions_;
};
