#pragma once

#include "base/FileDescriptor.h"

#include <QSocketNotifier>
#include <QTimer>
#include <functional>
#include <sys/types.h>

// Watches one child process of ours without blocking and reaps it when it ends, so that it never
// lingers as a zombie. The child's pidfd wakes the event loop when it exits; where the kernel
// offers no pidfd, a timer asks every 50 ms instead. Either wakes a run waiting for events.
class ChildExitWatch {
public:
    // onExit, when given, hears the child's wait status once it has been reaped.
    explicit ChildExitWatch(pid_t child, std::function<void(int waitStatus)> onExit = {});
    ChildExitWatch(const ChildExitWatch&) = delete;
    ChildExitWatch& operator=(const ChildExitWatch&) = delete;

    bool hasExited() const { return exited_; }
    // Closes the pidfd and asks every second instead: a child that runs for long (a launcher
    // that has become the browser) then holds no descriptor of this program.
    void watchWithoutDescriptor();

private:
    void reapIfExited();

    pid_t child_;
    std::function<void(int waitStatus)> onExit_;
    bool exited_ = false;
    FileDescriptor pidfd_; // declared before its notifier, so it is closed after it
    QSocketNotifier exitNotifier_{QSocketNotifier::Read};
    QTimer exitPoll_;
};
