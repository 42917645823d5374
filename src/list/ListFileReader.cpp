#include "list/ListFileReader.h"

#include "base/Failure.h"
#include "base/TextDecoding.h"
#include "base/Utf16ToUtf8.h"
#include "list/ListFileSplitter.h"
#include "list/WebsiteList.h"

#include <QByteArray>
#include <QIODevice>
#include <optional>

namespace {

// Large enough that the per-chunk work vanishes, small enough to be nothing beside the entries.
constexpr qsizetype chunkSize = qsizetype{1} << 20;
// Enough of the start to tell a UTF-16 byte-order mark.
constexpr qsizetype startSize = 2;

// Fills the chunk as far as one read goes, and reads on until it holds `atLeast` bytes or the
// device ends.
qint64 readChunk(QIODevice& device, const QString& name, QByteArray& chunk, qint64 atLeast) {
    qint64 filled = 0;
    do {
        const qint64 read = device.read(chunk.data() + filled, chunk.size() - filled);
        if (read < 0)
            throw Failure(QStringLiteral("Cannot read %1: %2").arg(name, device.errorString()));
        if (read == 0)
            break;
        filled += read;
    } while (filled < atLeast);
    return filled;
}

// readListFile with the sink known at compile time: the import hands each of a million entries
// to the list without a call through std::function.
template <typename EntrySink>
void readEntries(QIODevice& device, const QString& name, const EntrySink& onEntry) {
    // While every byte so far is ASCII (most lists are), the entries are ASCII too and are
    // valid UTF-8 as they stand; so is the UTF-8 made of a UTF-16 file.
    bool validAsTheyStand = true;
    QByteArray scratch;
    ListFileSplitter splitter([&](QByteArrayView bytes) {
        onEntry(validAsTheyStand ? bytes : asValidUtf8(bytes, scratch));
    });
    std::optional<Utf16ToUtf8> utf16;
    QByteArray chunk(chunkSize, Qt::Uninitialized);
    for (bool first = true;; first = false) {
        const qint64 read = readChunk(device, name, chunk, first ? startSize : 1);
        if (read == 0)
            break;
        QByteArrayView bytes(chunk.constData(), static_cast<qsizetype>(read));
        if (first) {
            if (const auto byteOrder = Utf16ToUtf8::announcedBy(bytes))
                utf16.emplace(*byteOrder);
        }
        if (utf16) {
            splitter.feed(utf16->convert(bytes));
            continue;
        }
        if (validAsTheyStand) {
            // A byte-order mark at the start is dropped, so it does not count.
            const bool byteOrderMark = first && bytes.startsWith("\xEF\xBB\xBF");
            validAsTheyStand = isAscii(byteOrderMark ? bytes.sliced(3) : bytes);
        }
        splitter.feed(bytes);
    }
    if (utf16)
        splitter.feed(utf16->finish());
    splitter.finish();
}

} // namespace

void readListFile(QIODevice& device, const QString& name,
                  const std::function<void(QByteArrayView)>& onEntry) {
    readEntries(device, name, onEntry);
}

void appendListFile(WebsiteList& list, QIODevice& device, const QString& name) {
    // The import does not yield, so the views hear of the new entries once, at the end; after
    // a failed read too, so that what was read before it stays.
    WebsiteList::BulkAppend append(list);
    readEntries(device, name, [&append](QByteArrayView utf8) { append.addUtf8(utf8); });
}
