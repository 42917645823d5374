#include "base/FileAccess.h"

#include "base/Failure.h"
#include "base/RegularFileReader.h"

#include <QFileInfo>

bool FileExists(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).lastModified().isValid();
}

QByteArray readSmallFile(const QString& path, qint64 maxBytes, const QString& what) {
    const QString name = QStringLiteral("the %1 %2").arg(what, path);
    auto opened = RegularFileReader::tryOpen(path, name);
    if (const auto* refused = std::get_if<RegularFileReader::Refusal>(&opened)) {
        // A folder is named as what it is not, as any other file that is not a regular one.
        const bool notRegular = refused->kind == RegularFileReader::Refusal::Kind::notRegular;
        throw Failure(QStringLiteral("Cannot read %1: %2")
                          .arg(name, notRegular ? QStringLiteral("it is not a regular file")
                                                : refused->reason()));
    }
    QByteArray bytes = std::get<RegularFileReader>(opened).readAtMost(maxBytes);
    if (bytes.size() > maxBytes)
        throw Failure(QStringLiteral("The %1 is too large").arg(name));
    return bytes;
}
