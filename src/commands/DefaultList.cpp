#include "commands/DefaultList.h"

#include "base/Dialogs.h"
#include "base/ErrorTrap.h"
#include "base/Failure.h"
#include "list/AddPrefixIfMissing.h"
#include "list/DefaultListReader.h"
#include "list/MdbReaderProtocol.h"
#include "list/WebsiteList.h"

#include <QFileInfo>

namespace {

// Statement numbers of the error report.
enum Statement : int {
    searchDatabase = 100,
    reportMissing = 102,
    openDatabase = 108,
    openTable = 110,
    readRecords = 112,
    readUrl = 114,
};

using Step = DefaultListReader::Step;

// The statement a read that ended at this step is reported at.
int statementOf(Step step) {
    switch (step) {
    case Step::CannotOpen:
        return openDatabase;
    case Step::NoTable:
        return openTable;
    case Step::NoUrlField:
        return readUrl;
    default:
        return readRecords;
    }
}

// A NULL cannot be read as text. One report for all of them, when the read has ended: a
// database full of NULLs must not bury the window under one box per record.
void reportNullRecords(qsizetype count, ErrorTrap& trap) {
    if (count == 0)
        return;
    QString description = QStringLiteral("Invalid use of Null");
    if (count > 1)
        description += QStringLiteral(" (%1 records without an address)").arg(count);
    trap.report(description, readUrl);
}

void readIntoList(WebsiteList& list, const QString& programFolder, const QString& databasePath,
                  ErrorTrap& trap) {
    DefaultListReader reader(
        programFolder + QLatin1Char('/') + QLatin1String(mdbreader::programName), databasePath);
    qsizetype nullRecords = 0;
    Step step = Step::Record;
    {
        // The entries reach the views in one go, before any report shows, so the list behind
        // the report is up to date.
        WebsiteList::BulkAppend pending(list);
        std::optional<QString> url;
        while ((step = reader.next(url)) == Step::Record) {
            if (url)
                pending.add(Main::AddPrefixIfMissing(*url));
            else
                ++nullRecords;
        }
    }
    reportNullRecords(nullRecords, trap);
    if (step != Step::End)
        trap.report(reader.problem(), statementOf(step));
}

} // namespace

void loadDefaultList(WebsiteList& list, Dialogs& dialogs, const QString& programFolder,
                     const QString& appTitle, ErrorTrap& trap) {
    const QString databasePath = programFolder + QStringLiteral("/websites.mdb");
    bool found = false;
    const bool searched = trap.run(searchDatabase, [&] {
        const QFileInfo database(databasePath);
        found = database.isFile();
        // A FIFO or a device (a link to /dev/zero, say) is there, but is no database to read.
        if (database.exists() && !found && !database.isDir())
            throw Failure(
                QStringLiteral("Cannot read %1: it is not a regular file").arg(databasePath));
    });
    if (!searched)
        return;
    if (!found) {
        trap.run(reportMissing,
                 [&] { dialogs.notice(databasePath + QStringLiteral(" not found."), appTitle); });
        return;
    }
    trap.run(readRecords, [&] { readIntoList(list, programFolder, databasePath, trap); });
}
