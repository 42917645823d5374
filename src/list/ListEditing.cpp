#include "list/ListEditing.h"

#include "app/ErrorTrap.h"
#include "ui/CommandWindow.h"

QString Main::AddPrefixIfMissing(const QString& text) {
    return text;
}

void addWebsite(CommandWindow& /*window*/, ErrorTrap& /*trap*/) {}
void deleteSelectedWebsite(CommandWindow& /*window*/, ErrorTrap& /*trap*/) {}
void clearAllWebsites(CommandWindow& /*window*/, ErrorTrap& /*trap*/) {}
void deleteSelectedUnlessBusy(CommandWindow& /*window*/) {}
