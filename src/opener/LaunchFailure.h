#pragma once

#include "opener/LauncherErrorOutput.h"

#include <QString>
#include <optional>

// Why a launcher that has ended failed, or nothing when it succeeded. Its error output says it
// best ("xdg-open: no method available for opening ..."); without any, its end, told with the
// name of the program that was started.
std::optional<QString> launchFailure(int waitStatus, LauncherErrorOutput& errorOutput,
                                     const QString& program);
