#include "list/TextImport.h"

#include "app/ErrorTrap.h"
#include "app/Failure.h"
#include "app/FileAccess.h"
#include "list/ListFileDialog.h"
#include "list/ListFileReader.h"
#include "list/WebsiteList.h"
#include "ui/CommandWindow.h"

#include <QChar>
#include <QFile>
#include <QFileInfo>
#include <utility>

namespace {

QString withoutPairsOfBackslashes(QString text) {
    return text.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
}

} // namespace

void appendListFile(WebsiteList& list, QIODevice& device, const QString& name) {
    // The import does not yield, so the views hear of the new entries once, at the end; after
    // a failed read too, so that what was read before it stays.
    WebsiteList::BulkAppend append(list);
    readListFile(device, name, [&append](QByteArrayView utf8) { append.addUtf8(utf8); });
}

void Main::LoadListviewFromTextFile(CommandWindow& window, WebsiteList& list, const QString& path) {
    if (!FileExists(path)) {
        window.platform().dialogs.notice(QStringLiteral("File not found"), window.appTitle());
        return;
    }
    // Only a regular file: a folder cannot be read, and a pipe or a device could block the
    // window forever or never end.
    const QFileInfo info(path);
    if (info.isDir())
        throw Failure(QStringLiteral("Cannot read %1: it is a folder").arg(path));
    if (!info.isFile())
        throw Failure(QStringLiteral("Cannot read %1: it is not a regular file").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
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

void loadWebsitesFromTextFiles(CommandWindow& window, ErrorTrap& trap) {
    CommonDialog& dialog = window.commonDialog();
    trap.run(100, [&] { dialog.fileName.clear(); });
    trap.run(102, [&] { dialog.flags = listFileDialogFlags; });
    trap.run(104, [&] {
        dialog.dialogTitle =
            QStringLiteral("Load List(s) - Hold Ctrl to select multiple list files");
    });
    trap.run(106, [&] { dialog.filter = listFileFilter(); });
    QStringList picked;
    trap.run(108, [&] {
        picked = window.platform().dialogs.showOpen(dialog);
        dialog.fileName = picked.join(QChar(u'\0'));
    });
    if (picked.isEmpty())
        return; // 110: cancelled

    WebsiteList& list = window.websiteList();
    trap.run(114, [&] { window.setPointerState(PointerState::Busy); });
    if (picked.size() == 1) {
        trap.run(120, [&] { Main::LoadListviewFromTextFile(window, list, picked.first()); });
    } else {
        for (const QString& pickedPath : std::as_const(picked)) {
            QString path;
            trap.run(130, [&] { path = pickedPath; });
            trap.run(132, [&] { path = Main::FixDoubleBackslashes(path); });
            trap.run(134, [&] { Main::LoadListviewFromTextFile(window, list, path); });
        }
    }
    trap.run(138, [&] { window.setPointerState(PointerState::Default); });
}
