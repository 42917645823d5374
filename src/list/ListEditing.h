#pragma once

#include <QString>

class CommandWindow;
class ErrorTrap;

namespace Main {
// Puts "http://" in front of an address that has no scheme of its own: a text that begins with
// a scheme and "://" (any case) or holds "http://" anywhere is returned unchanged.
QString AddPrefixIfMissing(const QString& text);
} // namespace Main

// "Add Website": asks for an address and appends it; duplicates are kept.
void addWebsite(CommandWindow& window, ErrorTrap& trap);
// "Delete Selected Website": reports when entries exist but none is selected.
void deleteSelectedWebsite(CommandWindow& window, ErrorTrap& trap);
// "Clear All Websites": does nothing while a long command runs.
void clearAllWebsites(CommandWindow& window, ErrorTrap& trap);
// The Delete key and the double-click in the list: delete the selected entry unless busy.
// Nothing is selected: nothing happens and nothing is shown.
void deleteSelectedUnlessBusy(CommandWindow& window);
