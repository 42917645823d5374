#pragma once

#include <QByteArray>
#include <QList>
#include <sys/types.h>

// What a spawned program gets as its standard input and error; -1 keeps this program's own.
struct SpawnedDescriptors {
    int input = -1;
    int error = -1;
};

// Starts `command` (a program, looked up in PATH, and its arguments) in the folder "/", in a
// session of its own (so that what it becomes does not end with this program's terminal, and so
// that what it starts can be told apart), with the default signal handling a freshly started
// program expects and none of this program's descriptors but 0 to 2. posix_spawn does not copy
// the program's memory, so the cost does not grow with the size of the list (a fork of a program
// holding a million entries takes tens of milliseconds, during which the window is frozen).
// Returns 0, or the error number of the failed start.
int spawnInSession(QList<QByteArray> command, SpawnedDescriptors descriptors, pid_t& child);
