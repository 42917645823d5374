#pragma once

#include "base/ByteScan.h"

#include <QByteArray>
#include <QByteArrayView>
#include <algorithm>
#include <utility>

// Splits the bytes of a list text file into its entries, fed in chunks of any size.
//
// An entry ends at CR LF, at a CR alone and at an LF alone; nothing is trimmed or skipped, so
// an empty line is an empty entry. At the end of the file the bytes after the last line end
// are one more entry when there are any: a final line end (as every Linux text file has)
// ends the last line and adds no empty entry, and a file of zero bytes has no entry at all. A UTF-8
// byte-order mark at the very start is dropped; anywhere else it is text.
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
        if (!partial_.isEmpty())
            sink_(QByteArrayView(partial_));
        partial_.clear();
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
        if (bytes.isEmpty())
            return;
        qsizetype begin = 0;
        if (skipLineFeed_) {
            skipLineFeed_ = false;
            if (bytes.front() == '\n')
                begin = 1;
        }
        // One pass finds every CR and LF; the LF of a CR LF is passed over with its CR.
        ByteScan::forEachByteOf(bytes, '\r', '\n', [&](qsizetype stop) {
            if (stop < begin)
                return;
            endEntry(bytes.sliced(begin, stop - begin));
            begin = stop + 1;
            if (bytes[stop] == '\r') {
                if (begin == bytes.size())
                    skipLineFeed_ = true;
                else if (bytes[begin] == '\n')
                    ++begin;
            }
        });
        partial_.append(bytes.sliced(begin));
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
    bool skipLineFeed_ = false; // the last chunk ended with CR: an LF next belongs to it
};
