#include "base/FileAccess.h"

#include "base/Failure.h"

#include <QFile>
#include <QFileInfo>

bool FileExists(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).lastModified().isValid();
}

QByteArray readSmallFile(const QString& path, qint64 maxBytes, const QString& what) {
    // Opening a FIFO would block start-up for ever, and a device may never end.
    if (const QFileInfo info(path); info.exists() && !info.isFile())
        throw Failure(
            QStringLiteral("Cannot read the %1 %2: it is not a regular file").arg(what, path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(
            QStringLiteral("Cannot read the %1 %2: %3").arg(what, path, file.errorString()));
    QByteArray bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError)
        throw Failure(
            QStringLiteral("Cannot read the %1 %2: %3").arg(what, path, file.errorString()));
    if (bytes.size() > maxBytes)
        throw Failure(QStringLiteral("The %1 %2 is too large").arg(what, path));
    return bytes;
}
