#pragma once

#include <QList>
#include <QString>
#include <sys/types.h>

// Whether any of `processes` holds a listening Unix socket bound to a path other than a Wayland
// display socket: the channel over which a second start of a single-instance program hands its
// arguments to the first (Chromium's SingletonSocket). A Wayland socket does not count: Firefox
// opens one as a proxy to the compositor long before it takes arguments.
bool holdsHandOverSocket(const QList<pid_t>& processes);
