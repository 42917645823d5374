#include "list/TextExport.h"

#include "app/ErrorTrap.h"
#include "list/ListFileDialog.h"
#include "list/ListFileWriter.h"
#include "list/ThrottledYield.h"
#include "list/WebsiteList.h"
#include "ui/CommandWindow.h"

#include <algorithm>
#include <vector>

namespace {

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
            trap.run(112, [&] { yield(); });
            if (row >= list.count())
                continue; // removed during the save
            trap.run(114, [&] {
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

void Main::SaveListviewProperlySpacedWithoutProgressBar(CommandWindow& window, WebsiteList& list,
                                                        const QString& path) {
    ErrorTrap trap(QStringLiteral("Main.SaveListviewProperlySpacedWithoutProgressBar"),
                   window.platform().dialogs);
    ThrottledYield yield(window);

    std::vector<qsizetype> widths;
    trap.run(102, [&] { widths = columnWidths(list, yield, trap); });

    // A file that cannot be created, or a line that cannot be written, ends the save with one
    // report; the writer then leaves the old file as it was.
    ListFileWriter file(path);
    if (!trap.run(136, [&] { file.open(); }))
        return;

    QString line;
    for (size_t column = 0; column < widths.size(); ++column) {
        trap.run(140, [&] { yield(); });
        trap.run(142,
                 [&] { appendCell(line, list.columnCaptions().value(column), widths[column]); });
    }
    if (!trap.run(150, [&] { file.writeLine(line); }))
        return;

    const int entries = list.count();
    for (int row = 0; row < entries; ++row) {
        trap.run(154, [&] { yield(); });
        if (row >= list.count() || !list.isChecked(row))
            continue; // unchecked, or removed during the save
        bool complete = false;
        trap.run(164, [&] { complete = buildEntryLine(list, row, widths, yield, line); });
        if (complete && !trap.run(180, [&] { file.writeLine(line); }))
            return;
    }
    trap.run(184, [&] { file.commit(); });
}

void saveWebsitesToTextFile(CommandWindow& window, ErrorTrap& trap) {
    CommonDialog& dialog = window.commonDialog();
    trap.run(106, [&] { dialog.flags = listFileDialogFlags; });
    trap.run(108, [&] { dialog.dialogTitle = QStringLiteral("Save"); });
    trap.run(110, [&] { dialog.filter = listFileFilter(); });
    trap.run(112, [&] {
        dialog.fileName.clear();
        const QString chosen = window.platform().dialogs.showSave(dialog);
        if (!chosen.isEmpty())
            dialog.fileName = chosen;
    });
    QString path;
    trap.run(114, [&] { path = dialog.fileName; });
    if (path.isEmpty())
        return; // 116: cancelled

    trap.run(118, [&] { window.setPointerState(PointerState::Busy); });
    trap.run(120, [&] {
        Main::SaveListviewProperlySpacedWithoutProgressBar(window, window.websiteList(), path);
    });
    trap.run(122, [&] { window.setPointerState(PointerState::Default); });
}
