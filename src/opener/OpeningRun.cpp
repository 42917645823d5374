#include "opener/OpeningRun.h"

#include "app/ErrorTrap.h"
#include "ui/CommandWindow.h"

void openRandomWebsites(CommandWindow& /*window*/, ErrorTrap& /*trap*/) {}
