#include "opener/ChildExitWatch.h"

#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr int pollIntervalMs = 50;
constexpr int slowPollIntervalMs = 1000;

// A file descriptor that becomes readable when the process ends; none when the kernel has none.
FileDescriptor openPidfd(pid_t child) {
    return FileDescriptor(static_cast<int>(syscall(SYS_pidfd_open, child, 0)));
}

} // namespace

ChildExitWatch::ChildExitWatch(pid_t child, std::function<void(int waitStatus)> onExit)
    : child_(child), onExit_(std::move(onExit)), pidfd_(openPidfd(child)) {
    QObject::connect(&exitNotifier_, &QSocketNotifier::activated, &exitNotifier_,
                     [this] { reapIfExited(); });
    QObject::connect(&exitPoll_, &QTimer::timeout, &exitPoll_, [this] { reapIfExited(); });
    if (pidfd_.isOpen()) {
        exitNotifier_.setSocket(pidfd_.get());
        exitNotifier_.setEnabled(true);
    } else {
        exitPoll_.start(pollIntervalMs);
    }
}

void ChildExitWatch::watchWithoutDescriptor() {
    exitNotifier_.setEnabled(false); // before its descriptor is closed
    pidfd_.close();
    if (!exited_)
        exitPoll_.start(slowPollIntervalMs);
}

void ChildExitWatch::reapIfExited() {
    int waitStatus = 0;
    if (exited_ || waitpid(child_, &waitStatus, WNOHANG) == 0)
        return; // still running (a readable pidfd means it has ended, so this is only the poll)
    exited_ = true;
    exitNotifier_.setEnabled(false);
    exitPoll_.stop();
    if (onExit_)
        onExit_(waitStatus);
}
