#pragma once

class CommandView;
class ErrorTrap;
class SettingsStore;
class WebsiteList;

// Start-up: fills the list from the "Websites" setting. Returns false when the stored value
// could not be read, so that the close keeps a backup before saving.
bool restoreWebsiteList(WebsiteList& list, SettingsStore& settings, ErrorTrap& trap);

// Close: stores the list under "Websites", then yields once. With keepBackupFirst the old
// stored value is first kept as "Websites.bak".
void saveWebsiteList(const WebsiteList& list, CommandView& view, SettingsStore& settings,
                     ErrorTrap& trap, bool keepBackupFirst);
