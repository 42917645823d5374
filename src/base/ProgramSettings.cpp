#include "base/ProgramSettings.h"

#include "base/AtomicFileWriter.h"
#include "base/SettingsKeys.h"
#include "base/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace {

const QString defaultCount = QStringLiteral("3");

// Whether anything is at the path, a link to nothing too.
bool isTaken(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

QString ProgramSettings::pathOf(const QString& key) const {
    return store_.pathOf(SettingsKeys::application, SettingsKeys::section, key);
}

std::optional<QByteArray> ProgramSettings::readBytes(const QString& key) const {
    return store_.readBytes(SettingsKeys::application, SettingsKeys::section, key);
}

void ProgramSettings::write(const QString& key,
                            const std::function<void(AtomicFileWriter&)>& writeValue) {
    store_.writeUtf8(SettingsKeys::application, SettingsKeys::section, key, writeValue);
}

std::optional<QString> ProgramSettings::keepBackup(const QString& key) {
    const QString copyKey = freeKey(key + QStringLiteral(".bak"));
    if (!store_.keepCopy(SettingsKeys::application, SettingsKeys::section, key, copyKey))
        return std::nullopt;
    return copyKey;
}

QString ProgramSettings::count() const {
    return store_.read(SettingsKeys::application, SettingsKeys::section,
                       SettingsKeys::countOfWebsites, defaultCount);
}

void ProgramSettings::storeCount(const QString& typed) {
    store_.write(SettingsKeys::application, SettingsKeys::section, SettingsKeys::countOfWebsites,
                 typed);
}

QString ProgramSettings::freeKey(const QString& first) const {
    QString key = first;
    for (int number = 2; isTaken(pathOf(key)); ++number)
        key = first + QLatin1Char('-') + QString::number(number);
    return key;
}

QString ProgramSettings::freeKeyBesideList() const {
    return freeKey(SettingsKeys::websitesBesideUnreadList);
}

QStringList ProgramSettings::listsKeptBeside() const {
    const QFileInfo list(pathOf(SettingsKeys::websites));
    const QString first(SettingsKeys::websitesBesideUnreadList);
    QFileInfoList kept =
        QDir(list.absolutePath())
            .entryInfoList({first, first + QStringLiteral("-*")}, QDir::Files, QDir::Name);
    // "<first>" is the first, "<first>-N" the Nth; another name (not one this program gives)
    // goes before them all.
    const auto numberOf = [&first](const QFileInfo& file) {
        if (file.fileName() == first)
            return 1;
        return file.fileName().sliced(first.size() + 1).toInt();
    };
    std::stable_sort(kept.begin(), kept.end(), [&](const QFileInfo& a, const QFileInfo& b) {
        return numberOf(a) < numberOf(b);
    });
    QStringList paths;
    for (const QFileInfo& file : kept)
        paths << file.filePath();
    return paths;
}
