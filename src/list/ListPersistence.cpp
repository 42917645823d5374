#include "list/ListPersistence.h"

#include "app/ErrorTrap.h"
#include "app/SettingsStore.h"
#include "list/WebsiteList.h"
#include "ui/CommandWindow.h"

#include <QStringEncoder>

namespace {

const QString application = QStringLiteral("Pellamark");
const QString section = QStringLiteral("Corvantis");
const QString websitesKey = QStringLiteral("Websites");

} // namespace

QByteArray joinWebsitesUtf8(const WebsiteList& list) {
    qsizetype length = 0;
    for (int row = 0; row < list.count(); ++row)
        length += list.textView(row).size() * 3 + 1; // the most UTF-8 bytes a character takes
    QByteArray joined(length, Qt::Uninitialized);
    QStringEncoder utf8(QStringConverter::Utf8);
    char* end = joined.data();
    for (int row = 0; row < list.count(); ++row) {
        if (row > 0)
            *end++ = ';';
        end = utf8.appendToBuffer(end, list.textView(row));
    }
    joined.truncate(end - joined.data());
    return joined;
}

bool restoreWebsiteList(WebsiteList& list, SettingsStore& settings, ErrorTrap& trap) {
    QString stored;
    const bool read =
        trap.run(132, [&] { stored = settings.read(application, section, websitesKey, {}); });
    if (stored.isEmpty())
        return read;
    // The stored string itself becomes the entries' storage: no copy per entry.
    trap.run(136, [&] { list.appendSplit(std::move(stored), QLatin1Char(';')); });
    return read;
}

void saveWebsiteList(CommandWindow& window, SettingsStore& settings, ErrorTrap& trap,
                     bool keepBackupFirst) {
    QByteArray joined;
    trap.run(102, [&] { joined = joinWebsitesUtf8(window.websiteList()); });
    trap.run(110, [&] {
        if (keepBackupFirst)
            settings.keepBackup(application, section, websitesKey);
        settings.writeUtf8(application, section, websitesKey, joined);
    });
    trap.run(112, [&] { window.yield(); });
}
