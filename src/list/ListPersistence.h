#pragma once

#include <QByteArray>
#include <QString>

class CommandWindow;
class ErrorTrap;
class SettingsStore;
class WebsiteList;

// The stored form of the list, as UTF-8: the entry texts joined with ";", no escaping. Reading
// it back (WebsiteList::appendSplitUtf8) skips the empty pieces.
QByteArray joinWebsitesUtf8(const WebsiteList& list);

// Start-up: fills the list from the "Websites" setting (statements 132 to 144). Returns false
// when the stored value could not be read, so that the close keeps a backup before saving.
bool restoreWebsiteList(WebsiteList& list, SettingsStore& settings, ErrorTrap& trap);

// Close: stores the list under "Websites" (statements 100 to 112), then yields once. With
// keepBackupFirst the old stored value is first kept as "Websites.bak".
void saveWebsiteList(CommandWindow& window, SettingsStore& settings, ErrorTrap& trap,
                     bool keepBackupFirst);
