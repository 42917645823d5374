#include "opener/LaunchSession.h"

#include <charconv>
#include <cstring>
#include <dirent.h>
#include <memory>
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <utility>

namespace {

struct CloseFolder {
    void operator()(DIR* folder) const { ::closedir(folder); }
};

FileDescriptor openPidfd(pid_t process) {
    return FileDescriptor(static_cast<int>(::syscall(SYS_pidfd_open, process, 0)));
}

// Whether the process behind a pidfd has ended: its pidfd is readable then, also while it
// waits to be reaped.
bool hasEnded(const FileDescriptor& pidfd) {
    pollfd ended{pidfd.get(), POLLIN, 0};
    return ::poll(&ended, 1, 0) != 0;
}

} // namespace

LaunchSession::LaunchSession(pid_t leader, std::function<void()> onLooked)
    : leader_(leader), onLooked_(std::move(onLooked)) {
    QObject::connect(&endNotifier_, &QSocketNotifier::activated, &endNotifier_, [this] { look(); });
    tick_.setInterval(tickInterval);
    QObject::connect(&tick_, &QTimer::timeout, &tick_, [this] { look(); });
    tick_.start();
    scan(); // told from the next look on, once the caller holds this session
}

QList<pid_t> LaunchSession::livingMembers(pid_t leader) {
    QList<pid_t> members;
    const std::unique_ptr<DIR, CloseFolder> processes(::opendir("/proc"));
    if (!processes)
        return members;
    while (const dirent* entry = ::readdir(processes.get())) {
        pid_t pid = 0;
        const char* name = entry->d_name;
        const char* end = name + std::strlen(name);
        if (std::from_chars(name, end, pid).ptr != end || pid <= 0 || ::getsid(pid) != leader)
            continue;
        const FileDescriptor pidfd = openPidfd(pid);
        // Asked again after the open: a pid reused meanwhile belongs to another session.
        if (pidfd.isOpen() && ::getsid(pid) == leader && !hasEnded(pidfd))
            members.append(pid);
    }
    return members;
}

void LaunchSession::look() {
    scan();
    if (onLooked_)
        onLooked_();
}

void LaunchSession::scan() {
    members_ = livingMembers(leader_);
    if (!members_.contains(watchedMember_)) {
        endNotifier_.setEnabled(false); // before its descriptor is closed
        watchedPidfd_.close();
        watchedMember_ = 0;
        for (const pid_t member : members_) {
            watchedPidfd_ = openPidfd(member);
            if (watchedPidfd_.isOpen()) {
                watchedMember_ = member;
                endNotifier_.setSocket(watchedPidfd_.get());
                endNotifier_.setEnabled(true);
                break;
            }
        }
    }
    if (members_.isEmpty())
        stop(); // nothing can come again
}

void LaunchSession::stop() {
    tick_.stop();
    endNotifier_.setEnabled(false);
    watchedPidfd_.close();
    watchedMember_ = 0;
}
