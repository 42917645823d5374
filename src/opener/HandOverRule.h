#pragma once

#include "base/Shell.h"

#include <QString>
#include <optional>

// The one rule of which entries are never handed to the launcher, for every shell: the reason
// an entry is refused, or nothing when it may be handed over as the launcher's one argument.
std::optional<Shell::HandOff> refusedHandOff(const QString& address);
