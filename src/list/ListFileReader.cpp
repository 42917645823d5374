#include "list/ListFileReader.h"

#include "app/Failure.h"
#include "app/TextDecoding.h"
#include "list/ListFileSplitter.h"

#include <QByteArray>
#include <QIODevice>

namespace {

// Large enough that the per-chunk work vanishes, small enough to be nothing beside the entries.
constexpr qsizetype chunkSize = qsizetype{1} << 20;

} // namespace

void readListFile(QIODevice& device, const QString& name,
                  const std::function<void(QString&&)>& onEntry) {
    ListFileSplitter splitter(
        [&onEntry](QByteArrayView bytes) { onEntry(decodeUtf8OrLatin1(bytes)); });
    QByteArray chunk(chunkSize, Qt::Uninitialized);
    for (;;) {
        const qint64 read = device.read(chunk.data(), chunkSize);
        if (read < 0)
            throw Failure(QStringLiteral("Cannot read %1: %2").arg(name, device.errorString()));
        if (read == 0)
            break;
        splitter.feed(QByteArrayView(chunk.constData(), static_cast<qsizetype>(read)));
    }
    splitter.finish();
}
