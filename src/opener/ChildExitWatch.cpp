#include "opener/ChildExitWatch.h"

#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr int pollIntervalMs = 50;

// A file descriptor that becomes readable when the process ends; none when the kernel has none.
FileDescriptor openPidfd(pid_t child) {
    return FileDescriptor(static_cast<int>(syscall(SYS_pidfd_open, child, 0)));
}

} // namespace

ChildExitWatch::ChildExitWatch(pid_t child, std::function<void(int waitStatus)> onExit)
    : child_(child), onExit_(std::move(onExit)), pidfd_(openPidfd(child)) {
    if (pidfd_.isOpen()) {
        exitNotifier_ = std::make_unique<QSocketNotifier>(pidfd_.get(), QSocketNotifier::Read);
        QObject::connect(exitNotifier_.get(), &QSocketNotifier::activated, exitNotifier_.get(),
                         [this] { reapIfExited(); });
    } else {
        exitPoll_ = std::make_unique<QTimer>();
        QObject::connect(exitPoll_.get(), &QTimer::timeout, exitPoll_.get(),
                         [this] { reapIfExited(); });
        exitPoll_->start(pollIntervalMs);
    }
}

void ChildExitWatch::reapIfExited() {
    int waitStatus = 0;
    if (exited_ || waitpid(child_, &waitStatus, WNOHANG) == 0)
        return; // still running (a readable pidfd means it has ended, so this is only the poll)
    exited_ = true;
    if (exitNotifier_)
        exitNotifier_->setEnabled(false);
    if (exitPoll_)
        exitPoll_->stop();
    if (onExit_)
        onExit_(waitStatus);
}
