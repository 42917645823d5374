#pragma once

#include <QString>

class CommandView;
class Dialogs;
class ErrorTrap;
class WebsiteList;
struct CommonDialog;

// "Load Websites From Text File": appends every line of the picked text files.
void loadWebsitesFromTextFiles(WebsiteList& list, CommandView& view, Dialogs& dialogs,
                               CommonDialog& dialog, const QString& appTitle, ErrorTrap& trap);

namespace Main {

// Appends one entry per line of the file at path. A file that is not there gives the notice
// "File not found" (captioned appTitle) and adds nothing; one that cannot be read, or is no
// regular file, throws Failure.
void LoadListviewFromTextFile(WebsiteList& list, const QString& path, Dialogs& dialogs,
                              const QString& appTitle);

// Turns every pair of backslashes into one, from left to right in one pass; a path that starts
// with a backslash keeps (or gets) exactly two in front, as a network path has.
QString FixDoubleBackslashes(const QString& path);

} // namespace Main
