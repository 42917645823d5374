#include "list/ListFileReader.h"

#include "app/Failure.h"
#include "app/TextDecoding.h"
#include "list/ListFileSplitter.h"

#include <QByteArray>
#include <QIODevice>
#include <QStringDecoder>
#include <cstring>

namespace {

// Large enough that the per-chunk work vanishes, small enough to be nothing beside the entries.
constexpr qsizetype chunkSize = qsizetype{1} << 20;

// A check without an early exit, eight bytes at a time, that the compiler vectorises.
bool isAscii(QByteArrayView bytes) {
    std::uint64_t highBits = 0;
    qsizetype at = 0;
    for (; at + 8 <= bytes.size(); at += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + at, sizeof word);
        highBits |= word;
    }
    for (; at < bytes.size(); ++at)
        highBits |= static_cast<unsigned char>(bytes[at]);
    return (highBits & 0x8080808080808080u) == 0;
}

} // namespace

void readListFile(QIODevice& device, const QString& name,
                  const std::function<void(QStringView)>& onEntry) {
    // While every byte so far is ASCII (most lists are), the entries are ASCII too and need no
    // UTF-8 check: for them the decoding is the plain Latin-1 widening.
    bool allAscii = true;
    QString decoded;
    QStringDecoder latin1(QStringConverter::Latin1);
    ListFileSplitter splitter([&](QByteArrayView bytes) {
        if (!allAscii) {
            onEntry(decodeUtf8OrLatin1Into(decoded, bytes));
            return;
        }
        if (decoded.size() < bytes.size())
            decoded.resize(bytes.size());
        const QChar* end = latin1.appendToBuffer(decoded.data(), bytes);
        onEntry(QStringView(decoded.constData(), end - decoded.constData()));
    });
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
