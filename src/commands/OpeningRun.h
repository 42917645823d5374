#pragma once

#include <QString>

class Clock;
class CommandView;
class Dialogs;
class ErrorTrap;
class RandomSource;
class Shell;
class WebsiteList;

// What the run picks with and hands the picks to.
struct OpeningServices {
    Shell& shell;
    RandomSource& random;
    const Clock& clock;
};

// "Start Opening Websites": opens N randomly picked entries, N from the count box. Yields to the
// window once per pick and, before handing the next pick over, until the shell has finished
// the previous hand-off (the last one too); stops when the window closes during a yield. Entries
// the shell refuses (read as options, or holding a NUL) and hand-offs that failed are told in one
// notice at the end.
void openRandomWebsites(const WebsiteList& list, CommandView& view, Dialogs& dialogs,
                        const QString& appTitle, const OpeningServices& services, ErrorTrap& trap);
