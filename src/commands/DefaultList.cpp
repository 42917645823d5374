#include "commands/DefaultList.h"

#include "base/Dialogs.h"
#include "base/ErrorTrap.h"
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

void readIntoList(WebsiteList& list, const QString& programFolder, const QString& databasePath,
                  ErrorTrap& trap) {
    DefaultListReader reader(
        programFolder + QLatin1Char('/') + QLatin1String(mdbreader::programName), databasePath);
    // The entries reach the views in one go whenever a report is about to show (so the list
    // behind the report is up to date) and at the end.
    WebsiteList::BulkAppend pending(list);
    std::optional<QString> url;
    while (true) {
        switch (reader.next(url)) {
        case DefaultListReader::Step::Record:
            if (url) {
                pending.add(Main::AddPrefixIfMissing(*url));
            } else {
                pending.flush();
                trap.report(QStringLiteral("Invalid use of Null"), readUrl);
            }
            break;
        case DefaultListReader::Step::End:
            pending.flush();
            return;
        case DefaultListReader::Step::CannotOpen:
            trap.report(reader.problem(), openDatabase);
            return;
        case DefaultListReader::Step::NoTable:
            trap.report(reader.problem(), openTable);
            return;
        case DefaultListReader::Step::NoUrlField:
            trap.report(reader.problem(), readUrl);
            return;
        case DefaultListReader::Step::Failed:
            pending.flush();
            trap.report(reader.problem(), readRecords);
            return;
        }
    }
}

} // namespace

void loadDefaultList(WebsiteList& list, Dialogs& dialogs, const QString& programFolder,
                     const QString& appTitle, ErrorTrap& trap) {
    const QString databasePath = programFolder + QStringLiteral("/websites.mdb");
    bool found = false;
    trap.run(searchDatabase, [&] { found = QFileInfo(databasePath).isFile(); });
    if (!found) {
        trap.run(reportMissing,
                 [&] { dialogs.notice(databasePath + QStringLiteral(" not found."), appTitle); });
        return;
    }
    trap.run(readRecords, [&] { readIntoList(list, programFolder, databasePath, trap); });
}
