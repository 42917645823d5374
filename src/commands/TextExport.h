#pragma once

#include <QString>

class CommandView;
class Dialogs;
class ErrorTrap;
class WebsiteList;
struct CommonDialog;

// "Save Websites To Text File": writes the checked entries as a padded text table.
void saveWebsitesToTextFile(const WebsiteList& list, CommandView& view, Dialogs& dialogs,
                            CommonDialog& dialog, ErrorTrap& trap);

namespace Main {

// Writes the list to the file at path as a table: the header line of the column captions, then
// one line for each checked entry. Each cell is padded with blanks to its column's width (the
// longest caption or text of the column, checked entries or not) and closed by a tab. The old
// file is replaced only when every line was written. Reports its failures itself, and yields
// to the window now and then, so commands can run nested meanwhile.
void SaveListviewProperlySpacedWithoutProgressBar(const WebsiteList& list, CommandView& view,
                                                  Dialogs& dialogs, const QString& path);

} // namespace Main
