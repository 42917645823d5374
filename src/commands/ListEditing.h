#pragma once

#include <QString>

class CommandView;
class Dialogs;
class ErrorTrap;
class WebsiteList;

// "Add Website": asks for an address and appends it; duplicates are kept.
void addWebsite(WebsiteList& list, Dialogs& dialogs, const QString& appTitle, ErrorTrap& trap);
// "Delete Selected Website": reports when entries exist but none is selected.
void deleteSelectedWebsite(WebsiteList& list, const CommandView& view, ErrorTrap& trap);
// "Clear All Websites": does nothing while a long command runs.
void clearAllWebsites(WebsiteList& list, const CommandView& view, ErrorTrap& trap);
// The Delete key and the double-click in the list: delete the selected entry unless busy.
// Nothing is selected: nothing happens and nothing is shown.
void deleteSelectedUnlessBusy(WebsiteList& list, const CommandView& view);
