#include "commands/ListPersistence.h"

#include "base/AtomicFileWriter.h"
#include "base/ErrorTrap.h"
#include "base/ProgramSettings.h"
#include "base/SettingsKeys.h"
#include "commands/CommandView.h"
#include "list/StoredWebsites.h"
#include "list/WebsiteList.h"

#include <QFileInfo>
#include <QHashFunctions>
#include <QStringList>
#include <utility>

namespace {

// Statement numbers of the error reports: the restore is part of Form_Load, the save is
// Form_QueryUnload.
enum RestoreStatement : int { readStoredList = 132, fillList = 136 };
enum SaveStatement : int { writeStoredList = 110, yieldAfterSave = 112 };

// Stores the list under the key, joined as it is written: a large list needs no second copy
// in memory. A failed write leaves the stored value as it was and throws Failure.
void storeList(const WebsiteList& list, ProgramSettings& settings, const QString& key) {
    settings.write(key, [&list](AtomicFileWriter& file) {
        StoredWebsites::write(list, [&file](QByteArrayView piece) { file.write(piece); });
    });
}

// What identifies the stored list's contents, to tell a file that was only touched from one
// that was changed. Any seed but 0 lets Qt hash with the processor's AES instructions, where it
// has them: a million entries then take about 2 ms rather than the 25 ms of its portable hash,
// which is seed 0's. Both keys of a session are made in the same process, with the same seed.
std::size_t contentKey(QByteArrayView stored) {
    constexpr size_t anySeedButZero = 1;
    return qHashBits(stored.data(), static_cast<size_t>(stored.size()), anySeedButZero);
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

// A copy of the stored list kept as "Websites.bak" (or, when an earlier copy is there, the next
// free "Websites.bak-N"), or not, and what to say of it.
struct CopyOfStoredList {
    bool kept = false;
    QString said;
};

CopyOfStoredList keepCopyOfStoredList(ProgramSettings& settings) {
    std::optional<QString> copyKey;
    if (const auto failure =
            ErrorTrap::failureOf([&] { copyKey = settings.keepBackup(SettingsKeys::websites); }))
        return {false, QStringLiteral("No copy of it could be kept: %1").arg(asSentence(*failure))};
    if (!copyKey)
        return {}; // nothing a copy could hold (a folder, a FIFO, a device)
    return {true, QStringLiteral("A copy of it is in %1.").arg(settings.pathOf(*copyKey))};
}

// Saves this session's list as "Websites.new" (or, when an earlier session's list is there,
// the next free "Websites.new-N"); says how that went, for the report.
QString saveSessionListBeside(const WebsiteList& list, ProgramSettings& settings) {
    const QString beside = settings.freeKeyBesideList();
    if (const auto failure = ErrorTrap::failureOf([&] { storeList(list, settings, beside); }))
        return sessionListNotSaved(*failure);
    return QStringLiteral("This session's list was saved as %1.").arg(settings.pathOf(beside));
}

// The close after a start-up that did not read the stored list in full: written over, it would
// lose what was not read. It stays, a copy of it is kept, and this session's list goes beside
// it (unless it is empty: there is nothing to keep). One report says what
// was done and what failed.
void keepStoredListAndSaveBeside(const WebsiteList& list, ProgramSettings& settings,
                                 ErrorTrap& trap) {
    QStringList said{QStringLiteral("The stored list %1 could not be read in full at start-up, so "
                                    "it was left as it was.")
                         .arg(settings.pathOf(SettingsKeys::websites)),
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
void keepChangedListAndSave(const WebsiteList& list, ProgramSettings& settings, ErrorTrap& trap) {
    const CopyOfStoredList copy = keepCopyOfStoredList(settings);
    QStringList said{QStringLiteral("The stored list %1 was changed by another program after "
                                    "Corvantis read it at start-up.")
                         .arg(settings.pathOf(SettingsKeys::websites)),
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
// was removed on purpose: nothing of it is lost by saving. One of the same size is read again:
// a file that was only touched (or rewritten as it was) holds nothing that saving would lose.
bool storedListChangedSince(const StoredListAtStart& atStart, const ProgramSettings& settings) {
    const FileVersion now = FileVersion::of(settings.pathOf(SettingsKeys::websites));
    if (!now.exists || now == atStart.version)
        return false;
    if (now.size != atStart.version.size)
        return true;
    std::optional<QByteArray> stored;
    if (ErrorTrap::failureOf([&] { stored = settings.readBytes(SettingsKeys::websites); }))
        return true;
    return !stored || contentKey(*stored) != atStart.contentKey;
}

// How many of the lists kept beside the stored one the start-up's report names: one is added
// at each close while the list cannot be read, and the report must stay short enough to read.
constexpr qsizetype keptListsNamed = 3;

// The lists kept beside the stored one, as the start-up's report names them: the newest few,
// oldest first, and how many older ones are there.
QString keptListsSentence(const QStringList& kept) {
    const auto joined = [](const QStringList& paths) { return paths.join(QStringLiteral(", ")); };
    if (kept.size() <= keptListsNamed)
        return QStringLiteral("The list of an earlier session that could not be saved there is "
                              "kept in %1.")
            .arg(joined(kept));
    const qsizetype older = kept.size() - keptListsNamed;
    return QStringLiteral("The lists of earlier sessions that could not be saved there are kept "
                          "beside it: the newest in %1; %2 older ones in %3, from %4 to %5.")
        .arg(joined(kept.last(keptListsNamed)))
        .arg(older)
        .arg(QFileInfo(kept.first()).absolutePath(), QFileInfo(kept.first()).fileName(),
             QFileInfo(kept.at(older - 1)).fileName());
}

// The start-up's report of a stored list it cannot read names the lists that earlier sessions
// kept beside it, which hold what they could not store there.
[[noreturn]] void rethrowNamingKeptLists(const QString& failure, const ProgramSettings& settings) {
    const QStringList kept = settings.listsKeptBeside();
    if (kept.isEmpty())
        throw Failure(failure);
    throw Failure(asSentence(failure) + u' ' + keptListsSentence(kept));
}

} // namespace

StoredListAtStart restoreWebsiteList(WebsiteList& list, SettingsStore& store, ErrorTrap& trap) {
    ProgramSettings settings(store);
    // Looked at before it is read, so that any change after the read is seen at close.
    StoredListAtStart atStart{true, FileVersion::of(settings.pathOf(SettingsKeys::websites))};
    std::optional<QByteArray> stored;
    atStart.restoredInFull = trap.run(readStoredList, [&] {
        if (const auto failure =
                ErrorTrap::failureOf([&] { stored = settings.readBytes(SettingsKeys::websites); }))
            rethrowNamingKeptLists(*failure, settings);
    });
    if (stored)
        atStart.contentKey = contentKey(*stored);
    if (atStart.restoredInFull && stored && !stored->isEmpty())
        atStart.restoredInFull =
            trap.run(fillList, [&] { StoredWebsites::appendTo(list, std::move(*stored)); });
    return atStart;
}

void saveWebsiteList(const WebsiteList& list, CommandView& view, SettingsStore& store,
                     ErrorTrap& trap, const StoredListAtStart& atStart) {
    ProgramSettings settings(store);
    if (!atStart.restoredInFull)
        keepStoredListAndSaveBeside(list, settings, trap);
    else if (storedListChangedSince(atStart, settings))
        keepChangedListAndSave(list, settings, trap);
    else
        trap.run(writeStoredList, [&] { storeList(list, settings, SettingsKeys::websites); });
    trap.run(yieldAfterSave, [&] { view.yield(); });
}
