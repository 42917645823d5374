#include "list/DefaultList.h"

#include "app/ErrorTrap.h"
#include "ui/CommandWindow.h"

void loadDefaultList(CommandWindow& /*window*/, ErrorTrap& /*trap*/) {}
