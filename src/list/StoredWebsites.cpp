#include "list/StoredWebsites.h"

#include "base/TextDecoding.h"
#include "list/WebsiteList.h"

#include <utility>

void StoredWebsites::write(const WebsiteList& list,
                           const std::function<void(QByteArrayView)>& writePiece) {
    // Entries are gathered into chunks of this size, so that a million of them take a few dozen
    // writes; an entry longer than a chunk goes as it is.
    constexpr qsizetype chunkBytes = qsizetype(1) << 20;
    QByteArray chunk;
    chunk.reserve(chunkBytes);
    const auto writeChunk = [&] {
        writePiece(chunk);
        chunk.truncate(0); // keeps the capacity
    };
    for (int row = 0; row < list.count(); ++row) {
        const QByteArrayView text = list.utf8(row);
        if (chunk.size() + 1 + text.size() > chunkBytes)
            writeChunk();
        if (row > 0)
            chunk += separator;
        if (text.size() < chunkBytes) {
            chunk += text;
        } else {
            writeChunk();
            writePiece(text);
        }
    }
    writeChunk();
}

void StoredWebsites::appendTo(WebsiteList& list, QByteArray stored) {
    list.appendSplitUtf8(toValidUtf8PerPiece(std::move(stored), separator), separator);
}
