#include "list/ListPersistence.h"

#include "app/ErrorTrap.h"
#include "app/SettingsKeys.h"
#include "app/SettingsStore.h"
#include "list/WebsiteList.h"
#include "ui/CommandWindow.h"

QByteArray joinWebsitesUtf8(const WebsiteList& list) {
    qsizetype length = 0;
    for (int row = 0; row < list.count(); ++row)
        length += list.utf8(row).size() + 1;
    QByteArray joined;
    joined.reserve(length);
    for (int row = 0; row < list.count(); ++row) {
        if (row > 0)
            joined += ';';
        joined += list.utf8(row);
    }
    return joined;
}

bool restoreWebsiteList(WebsiteList& list, SettingsStore& settings, ErrorTrap& trap) {
    std::optional<QByteArray> stored;
    const bool read = trap.run(132, [&] {
        stored = settings.readUtf8(SettingsKeys::application, SettingsKeys::section,
                                   SettingsKeys::websites);
    });
    if (!stored || stored->isEmpty())
        return read;
    // The stored bytes themselves become the entries' storage: no copy per entry.
    trap.run(136, [&] { list.appendSplitUtf8(std::move(*stored), ';'); });
    return read;
}

void saveWebsiteList(CommandWindow& window, SettingsStore& settings, ErrorTrap& trap,
                     bool keepBackupFirst) {
    QByteArray joined;
    // A list that could not be put together is not written: an empty value would replace the
    // stored list.
    if (trap.run(102, [&] { joined = joinWebsitesUtf8(window.websiteList()); }))
        trap.run(110, [&] {
            if (keepBackupFirst)
                settings.keepBackup(SettingsKeys::application, SettingsKeys::section,
                                    SettingsKeys::websites);
            settings.writeUtf8(SettingsKeys::application, SettingsKeys::section,
                               SettingsKeys::websites, joined);
        });
    trap.run(112, [&] { window.yield(); });
}
