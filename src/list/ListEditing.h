#pragma once

#include <QString>

class CommandWindow;
class ErrorTrap;

namespace Main {
// Puts "http://" in front of an address that has no scheme of its own.
QString AddPrefixIfMissing(const QString& text);
} // namespace Main

// "Add Website": asks for an address and appends it.
void addWebsite(CommandWindow& window, ErrorTrap& trap);
// "Delete Selected Website".
void deleteSelectedWebsite(CommandWindow& window, ErrorTrap& trap);
// "Clear All Websites": does nothing while a long command runs.
void clearAllWebsites(CommandWindow& window, ErrorTrap& trap);
// The Delete key and the double-click in the list: delete the selected entry unless busy.
void deleteSelectedUnlessBusy(CommandWindow& window);
