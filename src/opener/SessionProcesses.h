#pragma once

#include <QList>
#include <sys/types.h>

// The processes of one session (as setsid made it, led by `leader`), read from /proc. A process
// that ends while it is read is left out.
QList<pid_t> sessionProcesses(pid_t leader);
