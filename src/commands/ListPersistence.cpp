#include "commands/ListPersistence.h"

#include "base/ErrorTrap.h"
#include "base/SettingsKeys.h"
#include "base/SettingsStore.h"
#include "commands/CommandView.h"
#include "list/StoredWebsites.h"
#include "list/WebsiteList.h"

#include <utility>

namespace {

// Statement numbers of the error reports: the restore is part of Form_Load, the save is
// Form_QueryUnload.
enum RestoreStatement : int { readStoredList = 132, fillList = 136 };
enum SaveStatement : int { joinList = 102, writeStoredList = 110, yieldAfterSave = 112 };

} // namespace

bool restoreWebsiteList(WebsiteList& list, SettingsStore& settings, ErrorTrap& trap) {
    std::optional<QByteArray> stored;
    const bool read = trap.run(readStoredList, [&] {
        stored = settings.readUtf8(SettingsKeys::application, SettingsKeys::section,
                                   SettingsKeys::websites);
    });
    if (!stored || stored->isEmpty())
        return read;
    trap.run(fillList, [&] { StoredWebsites::appendTo(list, std::move(*stored)); });
    return read;
}

void saveWebsiteList(const WebsiteList& list, CommandView& view, SettingsStore& settings,
                     ErrorTrap& trap, bool keepBackupFirst) {
    QByteArray joined;
    // A list that could not be put together is not written: an empty value would replace the
    // stored list.
    if (trap.run(joinList, [&] { joined = StoredWebsites::join(list); }))
        trap.run(writeStoredList, [&] {
            if (keepBackupFirst)
                settings.keepBackup(SettingsKeys::application, SettingsKeys::section,
                                    SettingsKeys::websites);
            settings.writeUtf8(SettingsKeys::application, SettingsKeys::section,
                               SettingsKeys::websites, joined);
        });
    trap.run(yieldAfterSave, [&] { view.yield(); });
}
