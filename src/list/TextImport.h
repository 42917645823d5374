#pragma once

#include <QString>

class CommandWindow;
class ErrorTrap;
class QIODevice;
class WebsiteList;

// "Load Websites From Text File": appends every line of the picked text files.
void loadWebsitesFromTextFiles(CommandWindow& window, ErrorTrap& trap);

// Appends one entry per line read from the device (named `name` in a failure). The entries
// read before a failure stay in the list; the failure is thrown on.
void appendListFile(WebsiteList& list, QIODevice& device, const QString& name);

namespace Main {

// Appends one entry per line of the file at path. A file that is not there gives the notice
// "File not found" and adds nothing; one that cannot be read, or is no regular file, throws
// Failure.
void LoadListviewFromTextFile(CommandWindow& window, WebsiteList& list, const QString& path);

// Turns every pair of backslashes into one, from left to right in one pass; a path that starts
// with a backslash keeps (or gets) exactly two in front, as a network path has.
QString FixDoubleBackslashes(const QString& path);

} // namespace Main
