#include "base/SettingsStore.h"

#include "base/AtomicFileWriter.h"
#include "base/Failure.h"
#include "base/FileCopy.h"
#include "base/RegularFileReader.h"
#include "base/TextDecoding.h"

#include <QDir>
#include <QFileInfo>
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
    const std::optional<QByteArray> stored = readBytes(application, section, key);
    return stored ? decodeUtf8OrLatin1(*stored) : defaultValue;
}

std::optional<QByteArray> SettingsStore::readBytes(const QString& application,
                                                   const QString& section,
                                                   const QString& key) const {
    const QString path = pathOf(application, section, key);
    std::optional<RegularFileReader> file = RegularFileReader::open(path);
    if (!file)
        return std::nullopt;
    QByteArray bytes;
    if (file->size() <= maxValueBytes_)
        bytes = file->readAtMost(maxValueBytes_);
    if (file->size() > maxValueBytes_ || bytes.size() > maxValueBytes_)
        throw Failure(QStringLiteral("Cannot read setting \"%1\": %2 is larger than %3 bytes")
                          .arg(key, path)
                          .arg(maxValueBytes_));
    bytes.truncate(withoutOneTrailingLineEnd(bytes).size());
    return bytes;
}

void SettingsStore::write(const QString& application, const QString& section, const QString& key,
                          const QString& value) {
    writeUtf8(application, section, key, value.toUtf8());
}

void SettingsStore::writeUtf8(const QString& application, const QString& section,
                              const QString& key, const QByteArray& bytes) {
    writeUtf8(application, section, key, [&bytes](AtomicFileWriter& file) { file.write(bytes); });
}

void SettingsStore::writeUtf8(const QString& application, const QString& section,
                              const QString& key,
                              const std::function<void(AtomicFileWriter&)>& writeValue) {
    const QString path = pathOf(application, section, key);
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        throw Failure(QStringLiteral("Cannot write setting \"%1\": cannot create the folder %2")
                          .arg(key, folder));
    AtomicFileWriter file(path);
    file.open();
    writeValue(file);
    file.commit();
}

bool SettingsStore::keepCopy(const QString& application, const QString& section, const QString& key,
                             const QString& copyKey) {
    return copyFile(pathOf(application, section, key), pathOf(application, section, copyKey));
}
