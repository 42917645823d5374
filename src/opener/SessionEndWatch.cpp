#include "opener/SessionEndWatch.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <dirent.h>
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <utility>

namespace {

struct CloseFolder {
    void operator()(DIR* folder) const { ::closedir(folder); }
};

// A pidfd of a process of the session that has not ended yet, the leader first (it is the
// oldest, so the others mostly end before it). None when no such process is left.
FileDescriptor pidfdOfLivingProcess(pid_t session) {
    const auto livingMember = [session](pid_t pid) {
        FileDescriptor pidfd(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
        // Checked after the open: a pid that was reused meanwhile belongs to another session.
        if (!pidfd.isOpen() || ::getsid(pid) != session)
            return FileDescriptor();
        pollfd ended{pidfd.get(), POLLIN, 0};
        if (::poll(&ended, 1, 0) != 0) // readable: it has ended and waits to be reaped
            return FileDescriptor();
        return pidfd;
    };
    if (FileDescriptor leader = livingMember(session); leader.isOpen())
        return leader;
    const std::unique_ptr<DIR, CloseFolder> processes(::opendir("/proc"));
    if (!processes)
        return {};
    while (const dirent* entry = ::readdir(processes.get())) {
        pid_t pid = 0;
        const char* name = entry->d_name;
        const char* end = name + std::strlen(name);
        if (std::from_chars(name, end, pid).ptr != end || pid <= 0 || pid == session ||
            ::getsid(pid) != session)
            continue;
        if (FileDescriptor member = livingMember(pid); member.isOpen())
            return member;
    }
    return {};
}

} // namespace

SessionEndWatch::SessionEndWatch(pid_t session, std::function<void()> onEnded)
    : session_(session), onEnded_(std::move(onEnded)) {
    QObject::connect(&notifier_, &QSocketNotifier::activated, &notifier_, [this] {
        watchNextProcess();
        if (ended_ && onEnded_)
            onEnded_();
    });
    watchNextProcess();
}

void SessionEndWatch::watchNextProcess() {
    notifier_.setEnabled(false); // before its descriptor is closed
    watchedPidfd_ = pidfdOfLivingProcess(session_);
    if (!watchedPidfd_.isOpen()) {
        ended_ = true;
        return;
    }
    notifier_.setSocket(watchedPidfd_.get());
    notifier_.setEnabled(true);
}

void SessionEndWatch::letGo() {
    notifier_.setEnabled(false);
    watchedPidfd_.close();
}
