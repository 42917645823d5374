#include "base/FileCopy.h"

#include "base/AtomicFileWriter.h"
#include "base/RegularFileReader.h"

#include <QByteArray>
#include <QByteArrayView>

namespace {

constexpr qint64 copyChunkBytes = qint64{1} << 20;

} // namespace

bool copyFile(const QString& source, const QString& target) {
    auto opened = RegularFileReader::tryOpen(source);
    if (const auto* refused = std::get_if<RegularFileReader::Refusal>(&opened)) {
        // Nothing there, or nothing a copy could hold (a folder, a FIFO, a device).
        if (refused->kind != RegularFileReader::Refusal::Kind::failed)
            return false;
        refused->raise(source);
    }
    auto& original = std::get<RegularFileReader>(opened);
    // Copied in chunks: the file may be one too large to load.
    AtomicFileWriter copy(target);
    copy.setPermissions(original.permissions());
    copy.open();
    QByteArray chunk(copyChunkBytes, Qt::Uninitialized);
    while (const qint64 read = original.read(chunk.data(), copyChunkBytes))
        copy.write(QByteArrayView(chunk).first(read));
    copy.commit();
    return true;
}
