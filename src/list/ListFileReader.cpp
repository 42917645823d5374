#include "list/ListFileReader.h"

#include "base/Failure.h"
#include "base/TextDecoding.h"
#include "list/ListFileSplitter.h"
#include "list/WebsiteList.h"

#include <QByteArray>
#include <QIODevice>

namespace {

// Large enough that the per-chunk work vanishes, small enough to be nothing beside the entries.
constexpr qsizetype chunkSize = qsizetype{1} << 20;

} // namespace

void readListFile(QIODevice& device, const QString& name,
                  const std::function<void(QByteArrayView)>& onEntry) {
    // While every byte so far is ASCII (most lists are), the entries are ASCII too and are
    // valid UTF-8 as they stand.
    bool allAscii = true;
    QByteArray scratch;
    ListFileSplitter splitter(
        [&](QByteArrayView bytes) { onEntry(allAscii ? bytes : asValidUtf8(bytes, scratch)); });
    QByteArray chunk(chunkSize, Qt::Uninitialized);
    for (bool first = true;; first = false) {
        const qint64 read = device.read(chunk.data(), chunkSize);
        if (read < 0)
            throw Failure(QStringLiteral("Cannot read %1: %2").arg(name, device.errorString()));
        if (read == 0)
            break;
        QByteArrayView bytes(chunk.constData(), static_cast<qsizetype>(read));
        if (allAscii) {
            // A byte-order mark at the start is dropped, so it does not count.
            const bool byteOrderMark = first && bytes.startsWith("\xEF\xBB\xBF");
            allAscii = isAscii(byteOrderMark ? bytes.sliced(3) : bytes);
        }
        splitter.feed(bytes);
    }
    splitter.finish();
}

void appendListFile(WebsiteList& list, QIODevice& device, const QString& name) {
    // The import does not yield, so the views hear of the new entries once, at the end; after
    // a failed read too, so that what was read before it stays.
    WebsiteList::BulkAppend append(list);
    readListFile(device, name, [&append](QByteArrayView utf8) { append.addUtf8(utf8); });
}
