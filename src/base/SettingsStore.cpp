#include "base/SettingsStore.h"

#include "base/Failure.h"
#include "base/TextDecoding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <utility>

namespace {

QByteArrayView withoutOneTrailingLineEnd(QByteArrayView bytes) {
    if (bytes.endsWith("\r\n"))
        return bytes.chopped(2);
    if (bytes.endsWith('\n'))
        return bytes.chopped(1);
    return bytes;
}

} // namespace

SettingsStore::SettingsStore(QString root, qint64 maxValueBytes)
    : root_(std::move(root)), maxValueBytes_(maxValueBytes) {}

SettingsStore SettingsStore::forCurrentUser() {
    return SettingsStore(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
}

QString SettingsStore::pathOf(const QString& application, const QString& section,
                              const QString& key) const {
    return root_ + QLatin1Char('/') + application + QLatin1Char('/') + section + QLatin1Char('/') +
           key;
}

QString SettingsStore::read(const QString& application, const QString& section, const QString& key,
                            const QString& defaultValue) const {
    const std::optional<QByteArray> stored = readUtf8(application, section, key);
    return stored ? fromUtf8KeepingByteOrderMark(*stored) : defaultValue;
}

std::optional<QByteArray> SettingsStore::readUtf8(const QString& application,
                                                  const QString& section,
                                                  const QString& key) const {
    const QString path = pathOf(application, section, key);
    const QFileInfo info(path);
    if (!info.exists())
        return std::nullopt;
    if (info.isDir())
        throw Failure(QStringLiteral("Cannot read setting \"%1\": %2 is a folder").arg(key, path));
    if (info.size() > maxValueBytes_)
        throw Failure(QStringLiteral("Cannot read setting \"%1\": %2 is larger than %3 bytes")
                          .arg(key, path)
                          .arg(maxValueBytes_));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(
            QStringLiteral("Cannot read setting \"%1\": %2").arg(key, file.errorString()));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Failure(
            QStringLiteral("Cannot read setting \"%1\": %2").arg(key, file.errorString()));
    bytes.truncate(withoutOneTrailingLineEnd(bytes).size());
    // Kept as they are when valid (no copy of a large list); else read as Latin-1.
    return isValidUtf8(bytes) ? bytes : latin1ToUtf8(bytes);
}

void SettingsStore::write(const QString& application, const QString& section, const QString& key,
                          const QString& value) {
    writeUtf8(application, section, key, value.toUtf8());
}

void SettingsStore::writeUtf8(const QString& application, const QString& section,
                              const QString& key, const QByteArray& bytes) {
    const QString path = pathOf(application, section, key);
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        throw Failure(QStringLiteral("Cannot write setting \"%1\": cannot create the folder %2")
                          .arg(key, folder));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw Failure(
            QStringLiteral("Cannot write setting \"%1\": %2").arg(key, file.errorString()));
}

void SettingsStore::keepBackup(const QString& application, const QString& section,
                               const QString& key) {
    const QString path = pathOf(application, section, key);
    const QString backup = path + QStringLiteral(".bak");
    if (!QFileInfo(path).isFile())
        return;
    if (QFileInfo::exists(backup) && !QFile::remove(backup))
        throw Failure(QStringLiteral("Cannot replace the backup %1").arg(backup));
    if (!QFile::copy(path, backup))
        throw Failure(QStringLiteral("Cannot keep a backup of %1 as %2").arg(path, backup));
}
