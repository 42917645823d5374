#include "commands/ListPersistence.h"

#include "base/AtomicFileWriter.h"
#include "base/ErrorTrap.h"
#include "base/SettingsKeys.h"
#include "base/SettingsStore.h"
#include "commands/CommandView.h"
#include "list/StoredWebsites.h"
#include "list/WebsiteList.h"

#include <QStringList>
#include <utility>

namespace {

// Statement numbers of the error reports: the restore is part of Form_Load, the save is
// Form_QueryUnload.
enum RestoreStatement : int { readStoredList = 132, fillList = 136 };
enum SaveStatement : int { writeStoredList = 110, yieldAfterSave = 112 };

QString pathOf(const SettingsStore& settings, QLatin1StringView key) {
    return settings.pathOf(SettingsKeys::application, SettingsKeys::section, key);
}

// Stores the list under the key, joined as it is written: a large list needs no second copy
// in memory. A failed write leaves the stored value as it was and throws Failure.
void storeList(const WebsiteList& list, SettingsStore& settings, QLatin1StringView key) {
    settings.writeUtf8(
        SettingsKeys::application, SettingsKeys::section, key, [&list](AtomicFileWriter& file) {
            StoredWebsites::write(list, [&file](QByteArrayView piece) { file.write(piece); });
        });
}

// Keeps a copy of the stored list as "Websites.bak"; says how that went, for the report.
QString keepCopyOfStoredList(SettingsStore& settings) {
    bool copied = false;
    if (const auto failure = ErrorTrap::failureOf([&] {
            copied = settings.keepBackup(SettingsKeys::application, SettingsKeys::section,
                                         SettingsKeys::websites);
        }))
        return QStringLiteral("No copy of it could be kept: %1").arg(*failure);
    if (!copied)
        return {}; // nothing a copy could hold (a folder, a FIFO, a device)
    return QStringLiteral("A copy of it is in %1.")
        .arg(pathOf(settings, SettingsKeys::websites) + QStringLiteral(".bak"));
}

// Saves this session's list as "Websites.new"; says how that went, for the report.
QString saveSessionListBeside(const WebsiteList& list, SettingsStore& settings) {
    const QLatin1StringView beside = SettingsKeys::websitesBesideUnreadList;
    if (const auto failure = ErrorTrap::failureOf([&] { storeList(list, settings, beside); }))
        return QStringLiteral("This session's list could not be saved: %1").arg(*failure);
    return QStringLiteral("This session's list was saved as %1.").arg(pathOf(settings, beside));
}

// The close after a start-up that did not read the stored list in full: written over, it would
// lose what was not read. It stays, a copy of it is kept, and this session's list goes beside
// it (unless it is empty: that would only replace an earlier session's). One report says what
// was done and what failed.
void keepStoredListAndSaveBeside(const WebsiteList& list, SettingsStore& settings,
                                 ErrorTrap& trap) {
    QStringList said{QStringLiteral("The stored list %1 could not be read in full at start-up, so "
                                    "it was left as it was.")
                         .arg(pathOf(settings, SettingsKeys::websites)),
                     keepCopyOfStoredList(settings)};
    if (list.count() > 0)
        said << saveSessionListBeside(list, settings);
    said.removeAll(QString());
    trap.report(said.join(u' '), writeStoredList);
}

} // namespace

bool restoreWebsiteList(WebsiteList& list, SettingsStore& settings, ErrorTrap& trap) {
    std::optional<QByteArray> stored;
    if (!trap.run(readStoredList, [&] {
            stored = settings.readBytes(SettingsKeys::application, SettingsKeys::section,
                                        SettingsKeys::websites);
        }))
        return false;
    if (!stored || stored->isEmpty())
        return true;
    return trap.run(fillList, [&] { StoredWebsites::appendTo(list, std::move(*stored)); });
}

void saveWebsiteList(const WebsiteList& list, CommandView& view, SettingsStore& settings,
                     ErrorTrap& trap, bool storedListNotRestored) {
    if (storedListNotRestored)
        keepStoredListAndSaveBeside(list, settings, trap);
    else
        trap.run(writeStoredList, [&] { storeList(list, settings, SettingsKeys::websites); });
    trap.run(yieldAfterSave, [&] { view.yield(); });
}
