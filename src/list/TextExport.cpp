#include "list/TextExport.h"

#include "app/ErrorTrap.h"
#include "ui/CommandWindow.h"

void saveWebsitesToTextFile(CommandWindow& /*window*/, ErrorTrap& /*trap*/) {}
