#pragma once

#include "base/FileVersion.h"

#include <cstddef>

class CommandView;
class ErrorTrap;
class SettingsStore;
class WebsiteList;

// What the close must know of the stored list as the start-up found it.
struct StoredListAtStart {
    // False when the stored list was not restored in full (it could not be read, or not all of
    // it became entries, for instance for want of memory): the close must not write the
    // partial list over it.
    bool restoredInFull = true;
    // The stored file as it was before it was read.
    FileVersion version;
    // What identifies the contents read (0 when none were).
    std::size_t contentKey = 0;
};

// Start-up: fills the list from the "Websites" setting.
StoredListAtStart restoreWebsiteList(WebsiteList& list, SettingsStore& settings, ErrorTrap& trap);

// Close: stores the list under "Websites", then yields once. When the stored list was not
// restored in full, it is left as it is: a copy of it is kept as "Websites.bak", the list of
// this session is saved beside it as "Websites.new" (or "Websites.new-2", ..., never over an
// earlier session's), and one report says so. When another
// program changed it after the start-up read it, that version is kept as "Websites.bak"
// before the list of this session replaces it, and one report says so. A copy, too, is
// never written over: with "Websites.bak" there, it goes to "Websites.bak-2", ...
void saveWebsiteList(const WebsiteList& list, CommandView& view, SettingsStore& settings,
                     ErrorTrap& trap, const StoredListAtStart& atStart);
