#pragma once

#include "base/Clock.h"
#include "base/Dialogs.h"
#include "base/RandomSource.h"
#include "base/Shell.h"

#include <QString>

class SettingsStore;

// The desktop services the window is built with: main() passes the real ones, tests pass fakes.
// The window hands each command only the services that command uses.
struct Platform {
    Dialogs& dialogs;
    Shell& shell;
    RandomSource& random;
    Clock& clock;
    SettingsStore& settings;
    QString programFolder; // folder of the executable, no trailing separator
};
