#pragma once

#include <QString>

class Dialogs;
class ErrorTrap;
class WebsiteList;

// "Load Default List": appends the addresses of websites.mdb in the program folder, read by
// the reader helper beside it.
void loadDefaultList(WebsiteList& list, Dialogs& dialogs, const QString& programFolder,
                     const QString& appTitle, ErrorTrap& trap);
