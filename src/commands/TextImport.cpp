#include "commands/TextImport.h"

#include "base/Dialogs.h"
#include "base/ErrorTrap.h"
#include "base/Failure.h"
#include "base/RegularFileReader.h"
#include "commands/CommandView.h"
#include "commands/ListFileDialog.h"
#include "list/ListFileReader.h"

#include <QChar>
#include <QFile>
#include <utility>

namespace {

// Statement numbers of the error reports.
enum Statement : int {
    clearFileName = 100,
    setFlags = 102,
    setTitle = 104,
    setFilter = 106,
    showOpenDialog = 108,
    setBusyPointer = 114,
    loadOneFile = 120,
    takePickedPath = 130,
    fixPickedPath = 132,
    loadPickedFile = 134,
    setDefaultPointer = 138,
};

QString withoutPairsOfBackslashes(QString text) {
    return text.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
}

} // namespace

void Main::LoadListviewFromTextFile(WebsiteList& list, const QString& path, Dialogs& dialogs,
                                    const QString& appTitle) {
    // Opened once and judged as opened: only a regular file is read, since a folder cannot be,
    // and a pipe or a device could block the window forever or never end.
    auto opened = RegularFileReader::tryOpen(path);
    if (const auto* refused = std::get_if<RegularFileReader::Refusal>(&opened)) {
        if (refused->kind == RegularFileReader::Refusal::Kind::absent) {
            dialogs.notice(QStringLiteral("File not found"), appTitle);
            return;
        }
        const bool notRegular = refused->kind == RegularFileReader::Refusal::Kind::notRegular;
        throw Failure(QStringLiteral("Cannot %1 %2: %3")
                          .arg(notRegular ? QStringLiteral("read") : QStringLiteral("open"), path,
                               refused->reason()));
    }
    // Streamed, so that memory never holds the whole file.
    QFile file;
    if (!std::get<RegularFileReader>(opened).openStream(file))
        throw Failure(QStringLiteral("Cannot open %1: %2").arg(path, file.errorString()));
    appendListFile(list, file, path);
}

QString Main::FixDoubleBackslashes(const QString& path) {
    const QChar backslash(u'\\');
    if (!path.startsWith(backslash))
        return withoutPairsOfBackslashes(path);
    qsizetype first = 1;
    while (first < path.size() && path.at(first) == backslash)
        ++first;
    return QStringLiteral("\\\\") + withoutPairsOfBackslashes(path.mid(first));
}

void loadWebsitesFromTextFiles(WebsiteList& list, CommandView& view, Dialogs& dialogs,
                               CommonDialog& dialog, const QString& appTitle, ErrorTrap& trap) {
    trap.run(clearFileName, [&] { dialog.fileName.clear(); });
    trap.run(setFlags, [&] { dialog.flags = listFileDialogFlags; });
    trap.run(setTitle, [&] {
        dialog.dialogTitle =
            QStringLiteral("Load List(s) - Hold Ctrl to select multiple list files");
    });
    trap.run(setFilter, [&] { dialog.filter = listFileFilter(); });
    QStringList picked;
    trap.run(showOpenDialog, [&] {
        picked = dialogs.showOpen(dialog);
        dialog.fileName = picked.join(QChar(u'\0'));
    });
    if (picked.isEmpty())
        return; // cancelled

    trap.run(setBusyPointer, [&] { view.setPointerState(PointerState::Busy); });
    if (picked.size() == 1) {
        trap.run(loadOneFile,
                 [&] { Main::LoadListviewFromTextFile(list, picked.first(), dialogs, appTitle); });
    } else {
        for (const QString& pickedPath : std::as_const(picked)) {
            QString path;
            trap.run(takePickedPath, [&] { path = pickedPath; });
            trap.run(fixPickedPath, [&] { path = Main::FixDoubleBackslashes(path); });
            trap.run(loadPickedFile,
                     [&] { Main::LoadListviewFromTextFile(list, path, dialogs, appTitle); });
        }
    }
    trap.run(setDefaultPointer, [&] { view.setPointerState(PointerState::Default); });
}
