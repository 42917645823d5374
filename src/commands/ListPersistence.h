#pragma once

class CommandView;
class ErrorTrap;
class SettingsStore;
class WebsiteList;

// Start-up: fills the list from the "Websites" setting. Returns false when the stored list was
// not restored in full (it could not be read, or not all of it became entries, for instance
// for want of memory), so that the close does not write the partial list over it.
bool restoreWebsiteList(WebsiteList& list, SettingsStore& settings, ErrorTrap& trap);

// Close: stores the list under "Websites", then yields once. When the stored list was not
// restored in full, it is left as it is: a copy of it is kept as "Websites.bak", the list of
// this session is saved beside it as "Websites.new", and one report says so.
void saveWebsiteList(const WebsiteList& list, CommandView& view, SettingsStore& settings,
                     ErrorTrap& trap, bool storedListNotRestored);
