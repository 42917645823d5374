#pragma once

#include <QList>
#include <sys/types.h>

// Whether any of `processes` holds a listening Unix socket bound to a path: the channel over
// which a second start of a single-instance program hands its arguments to the first
// (Chromium's SingletonSocket), or a Wayland client's proxy to its compositor (Firefox's).
bool holdsListeningSocket(const QList<pid_t>& processes);
