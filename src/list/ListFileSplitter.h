#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstring>
#include <utility>

// Splits the bytes of a list text file into its entries, fed in chunks of any size.
//
// An entry ends at CR LF, at a CR alone and at an LF alone; nothing is trimmed or skipped, so
// an empty line is an empty entry. At the end of the file the bytes after the last line end
// are one more entry when there are any, or when that line end was an LF alone: a file that
// ends with CR LF or CR has no empty entry after it, one that ends with an LF alone does, and
// a file of zero bytes has no entry at all. A UTF-8 byte-order mark at the very start is
// dropped; anywhere else it is text.
//
// Each entry goes to the sink as a view of its bytes, valid only during the call. Only the
// entry that runs across a chunk boundary is copied; everything else is viewed in place.
// Header-only so that the fuzz target compiles (and instruments) exactly this code.
template <typename EntrySink> class ListFileSplitter {
public:
    explicit ListFileSplitter(EntrySink sink) : sink_(std::move(sink)) {}

    void feed(QByteArrayView chunk) {
        if (!headDecided_) {
            const qsizetype take = std::min(byteOrderMark.size() - head_.size(), chunk.size());
            head_.append(chunk.first(take));
            chunk = chunk.sliced(take);
            if (head_.size() < byteOrderMark.size())
                return;
            releaseHead();
        }
        split(chunk);
    }

    // The end of the file: hands over the last entry, if there is one.
    void finish() {
        if (!headDecided_)
            releaseHead();
        if (!partial_.isEmpty() || afterLoneLineFeed_)
            sink_(QByteArrayView(partial_));
        partial_.clear();
        afterLoneLineFeed_ = false;
    }

private:
    static constexpr QByteArrayView byteOrderMark{"\xEF\xBB\xBF"};

    // The first bytes are held back until it is known whether they are a byte-order mark.
    void releaseHead() {
        headDecided_ = true;
        QByteArrayView head(head_);
        if (head.startsWith(byteOrderMark))
            head = head.sliced(byteOrderMark.size());
        split(head);
        head_.clear();
    }

    void split(QByteArrayView bytes) {
        const char* begin = bytes.data();
        const char* const end = begin + bytes.size();
        if (begin == end)
            return;
        if (skipLineFeed_) {
            skipLineFeed_ = false;
            if (*begin == '\n')
                ++begin;
        }
        // The next CR and the next LF at or after begin, searched for only when passed: each
        // byte is looked at about twice, also in a file of only CR or only LF line ends.
        const char* nextCr = nullptr;
        const char* nextLf = nullptr;
        while (begin < end) {
            if (nextCr == nullptr || nextCr < begin)
                nextCr = find(begin, end, '\r');
            if (nextLf == nullptr || nextLf < begin)
                nextLf = find(begin, end, '\n');
            const char* const stop = std::min(nextCr, nextLf);
            if (stop == end) {
                partial_.append(begin, end - begin);
                return;
            }
            endEntry(QByteArrayView(begin, stop));
            begin = stop + 1;
            afterLoneLineFeed_ = *stop == '\n';
            if (*stop == '\r') {
                if (begin == end)
                    skipLineFeed_ = true;
                else if (*begin == '\n')
                    ++begin;
            }
        }
    }

    static const char* find(const char* from, const char* end, char byte) {
        const void* found = std::memchr(from, byte, static_cast<size_t>(end - from));
        return found != nullptr ? static_cast<const char*>(found) : end;
    }

    void endEntry(QByteArrayView tail) {
        if (partial_.isEmpty()) {
            sink_(tail);
            return;
        }
        partial_.append(tail);
        sink_(QByteArrayView(partial_));
        partial_.truncate(0); // keeps the capacity for the next long entry
    }

    EntrySink sink_;
    QByteArray head_;    // the first bytes, while the byte-order mark is undecided
    QByteArray partial_; // the start of an entry that began in an earlier chunk
    bool headDecided_ = false;
    bool skipLineFeed_ = false;      // the last chunk ended with CR: an LF next belongs to it
    bool afterLoneLineFeed_ = false; // the last line end seen was an LF alone
};
