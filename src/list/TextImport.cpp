#include "list/TextImport.h"

#include "app/ErrorTrap.h"
#include "ui/CommandWindow.h"

void loadWebsitesFromTextFiles(CommandWindow& /*window*/, ErrorTrap& /*trap*/) {}
