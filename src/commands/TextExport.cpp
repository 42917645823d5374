#include "commands/TextExport.h"

#include "base/Dialogs.h"
#include "base/ErrorTrap.h"
#include "commands/CommandView.h"
#include "commands/ListFileDialog.h"
#include "commands/ThrottledYield.h"
#include "list/ListFileWriter.h"
#include "list/WebsiteList.h"

#include <algorithm>
#include <vector>

namespace {

// Statement numbers of the command's error reports.
enum CommandStatement : int {
    setFlags = 106,
    setTitle = 108,
    setFilter = 110,
    showSaveDialog = 112,
    takeFileName = 114,
    setBusyPointer = 118,
    saveTable = 120,
    setDefaultPointer = 122,
};

// Statement numbers of the table writer's own error reports.
enum TableStatement : int {
    measureColumns = 102,
    yieldWhileMeasuring = 112,
    measureCell = 114,
    createFile = 136,
    yieldInHeader = 140,
    buildHeaderCell = 142,
    writeHeader = 150,
    yieldPerEntry = 154,
    buildEntry = 164,
    writeEntry = 180,
    replaceFile = 184,
};

// A cell: its text, blanks up to the column's width (none for a text that grew longer during
// the save), and the tab that closes every cell, the last one too.
void appendCell(QString& line, const QString& text, qsizetype width) {
    line += text;
    if (width > text.size())
        line.resize(line.size() + width - text.size(), u' ');
    line += u'\t';
}

// The width of every column: its longest caption or cell, over all entries, checked or not.
std::vector<qsizetype> columnWidths(const WebsiteList& list, ThrottledYield& yield,
                                    ErrorTrap& trap) {
    std::vector<qsizetype> widths;
    const qsizetype columns = list.columnCaptions().size();
    for (qsizetype column = 0; column < columns; ++column) {
        qsizetype width = list.columnCaptions().value(column).size();
        const int entries = list.count();
        for (int row = 0; row < entries; ++row) {
            trap.run(yieldWhileMeasuring, [&] { yield(); });
            if (row >= list.count())
                continue; // removed during the save
            trap.run(measureCell, [&] {
                width = std::max(width, list.cellLength(row, static_cast<int>(column)));
            });
        }
        widths.push_back(width);
    }
    return widths;
}

// Builds the line of one entry; false when the entry was removed while it was being built.
bool buildEntryLine(const WebsiteList& list, int row, const std::vector<qsizetype>& widths,
                    ThrottledYield& yield, QString& line) {
    line.truncate(0); // keeps the capacity
    for (size_t column = 0; column < widths.size(); ++column) {
        yield();
        if (row >= list.count())
            return false;
        appendCell(line, list.cellText(row, static_cast<int>(column)), widths[column]);
    }
    return true;
}

} // namespace

void Main::SaveListviewProperlySpacedWithoutProgressBar(const WebsiteList& list, CommandView& view,
                                                        Dialogs& dialogs, const QString& path) {
    ErrorTrap trap(QStringLiteral("Main.SaveListviewProperlySpacedWithoutProgressBar"), dialogs);
    ThrottledYield yield(view);

    std::vector<qsizetype> widths;
    trap.run(measureColumns, [&] { widths = columnWidths(list, yield, trap); });

    // A file that cannot be created, or a line that cannot be written, ends the save with one
    // report; the writer then leaves the old file as it was.
    ListFileWriter file(path);
    if (!trap.run(createFile, [&] { file.open(); }))
        return;

    QString line;
    for (size_t column = 0; column < widths.size(); ++column) {
        trap.run(yieldInHeader, [&] { yield(); });
        trap.run(buildHeaderCell, [&] {
            appendCell(line, list.columnCaptions().value(static_cast<qsizetype>(column)),
                       widths[column]);
        });
    }
    if (!trap.run(writeHeader, [&] { file.writeLine(line); }))
        return;

    const int entries = list.count();
    for (int row = 0; row < entries; ++row) {
        trap.run(yieldPerEntry, [&] { yield(); });
        if (row >= list.count() || !list.isChecked(row))
            continue; // unchecked, or removed during the save
        bool complete = false;
        trap.run(buildEntry, [&] { complete = buildEntryLine(list, row, widths, yield, line); });
        if (complete && !trap.run(writeEntry, [&] { file.writeLine(line); }))
            return;
    }
    trap.run(replaceFile, [&] { file.commit(); });
}

void saveWebsitesToTextFile(const WebsiteList& list, CommandView& view, Dialogs& dialogs,
                            CommonDialog& dialog, ErrorTrap& trap) {
    trap.run(setFlags, [&] { dialog.flags = listFileDialogFlags; });
    trap.run(setTitle, [&] { dialog.dialogTitle = QStringLiteral("Save"); });
    trap.run(setFilter, [&] { dialog.filter = listFileFilter(); });
    trap.run(showSaveDialog, [&] {
        dialog.fileName.clear();
        const QString chosen = dialogs.showSave(dialog);
        if (!chosen.isEmpty())
            dialog.fileName = chosen;
    });
    QString path;
    trap.run(takeFileName, [&] { path = dialog.fileName; });
    if (path.isEmpty())
        return; // 116: cancelled

    trap.run(setBusyPointer, [&] { view.setPointerState(PointerState::Busy); });
    trap.run(saveTable, [&] {
        Main::SaveListviewProperlySpacedWithoutProgressBar(list, view, dialogs, path);
    });
    trap.run(setDefaultPointer, [&] { view.setPointerState(PointerState::Default); });
}
