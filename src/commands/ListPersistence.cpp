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

// A failure's description as a sentence of a report that goes on after it.
QString asSentence(QString description) {
    if (!description.endsWith(u'.'))
        description += u'.';
    return description;
}

QString sessionListNotSaved(const QString& failure) {
    return QStringLiteral("This session's list could not be saved: %1").arg(asSentence(failure));
}

// A copy of the stored list kept as "Websites.bak", or not, and what to say of it.
struct CopyOfStoredList {
    bool kept = false;
    QString said;
};

CopyOfStoredList keepCopyOfStoredList(SettingsStore& settings) {
    bool copied = false;
    if (const auto failure = ErrorTrap::failureOf([&] {
            copied = settings.keepBackup(SettingsKeys::application, SettingsKeys::section,
                                         SettingsKeys::websites);
        }))
        return {false, QStringLiteral("No copy of it could be kept: %1").arg(asSentence(*failure))};
    if (!copied)
        return {}; // nothing a copy could hold (a folder, a FIFO, a device)
    return {true, QStringLiteral("A copy of it is in %1.")
                      .arg(pathOf(settings, SettingsKeys::websites) + QStringLiteral(".bak"))};
}

// Saves this session's list as "Websites.new"; says how that went, for the report.
QString saveSessionListBeside(const WebsiteList& list, SettingsStore& settings) {
    const QLatin1StringView beside = SettingsKeys::websitesBesideUnreadList;
    if (const auto failure = ErrorTrap::failureOf([&] { storeList(list, settings, beside); }))
        return sessionListNotSaved(*failure);
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
                     keepCopyOfStoredList(settings).said};
    if (list.count() > 0)
        said << saveSessionListBeside(list, settings);
    said.removeAll(QString());
    trap.report(said.join(u' '), writeStoredList);
}

// The close after another program wrote the stored list that the start-up had read (an edit by
// hand, a sync tool): written over without a word, that version would be lost. A copy of it is
// kept, then this session's list replaces it; when no copy can be kept, it stays and this
// session's list goes beside it. One report says what was done and what failed.
void keepChangedListAndSave(const WebsiteList& list, SettingsStore& settings, ErrorTrap& trap) {
    const CopyOfStoredList copy = keepCopyOfStoredList(settings);
    QStringList said{QStringLiteral("The stored list %1 was changed by another program after "
                                    "Corvantis read it at start-up.")
                         .arg(pathOf(settings, SettingsKeys::websites)),
                     copy.said};
    if (!copy.kept)
        said << QStringLiteral("It was left as it was.") << saveSessionListBeside(list, settings);
    else if (const auto failure =
                 ErrorTrap::failureOf([&] { storeList(list, settings, SettingsKeys::websites); }))
        said << sessionListNotSaved(*failure);
    else
        said << QStringLiteral("This session's list was saved in its place.");
    said.removeAll(QString());
    trap.report(said.join(u' '), writeStoredList);
}

// Whether a stored list is there now that is not the one the start-up found. One that is gone
// was removed on purpose: nothing of it is lost by saving.
bool storedListChangedSince(const FileVersion& atStart, const SettingsStore& settings) {
    const FileVersion now = FileVersion::of(pathOf(settings, SettingsKeys::websites));
    return now.exists && now != atStart;
}

} // namespace

StoredListAtStart restoreWebsiteList(WebsiteList& list, SettingsStore& settings, ErrorTrap& trap) {
    // Looked at before it is read, so that any change after the read is seen at close.
    StoredListAtStart atStart{true, FileVersion::of(pathOf(settings, SettingsKeys::websites))};
    std::optional<QByteArray> stored;
    atStart.restoredInFull = trap.run(readStoredList, [&] {
        stored = settings.readBytes(SettingsKeys::application, SettingsKeys::section,
                                    SettingsKeys::websites);
    });
    if (atStart.restoredInFull && stored && !stored->isEmpty())
        atStart.restoredInFull =
            trap.run(fillList, [&] { StoredWebsites::appendTo(list, std::move(*stored)); });
    return atStart;
}

void saveWebsiteList(const WebsiteList& list, CommandView& view, SettingsStore& settings,
                     ErrorTrap& trap, const StoredListAtStart& atStart) {
    if (!atStart.restoredInFull)
        keepStoredListAndSaveBeside(list, settings, trap);
    else if (storedListChangedSince(atStart.version, settings))
        keepChangedListAndSave(list, settings, trap);
    else
        trap.run(writeStoredList, [&] { storeList(list, settings, SettingsKeys::websites); });
    trap.run(yieldAfterSave, [&] { view.yield(); });
}
