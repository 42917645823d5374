#pragma once

#include "base/FileDescriptor.h"

#include <QList>
#include <QSocketNotifier>
#include <QTimer>
#include <chrono>
#include <functional>
#include <sys/types.h>

// The session a launch runs in (started with setsid, led by the launcher): the one place that
// knows its members. Every tick it scans /proc once, and every watch of the launch (its end,
// the browser's sockets, its settling) reads that one scan. A process counts while it lives in
// the session: one that has ended (even unreaped) or has left it with setsid, as a launcher
// that forks into the background does, stops counting at the next look.
//
// Between ticks a pidfd of one member wakes the event loop when that member ends, so that the
// end of a session whose last process exits is heard at once. A session gains processes only by
// a fork inside it, so once none is left, none can come again.
class LaunchSession {
public:
    static constexpr std::chrono::milliseconds tickInterval{100};

    // Watches the session from now on; onLooked is called from the event loop after every look
    // (each tick, and each time the watched member ends) until stopped.
    LaunchSession(pid_t leader, std::function<void()> onLooked);
    LaunchSession(const LaunchSession&) = delete;
    LaunchSession& operator=(const LaunchSession&) = delete;

    pid_t leader() const { return leader_; }
    // The members alive at the last look.
    const QList<pid_t>& members() const { return members_; }
    bool ended() const { return members_.isEmpty(); }
    // Stops looking and closes the pidfd: the launch holds no descriptor of it any more.
    void stop();

    // The living members of the session led by `leader`, read from /proc now.
    static QList<pid_t> livingMembers(pid_t leader);

private:
    void look();
    void scan();

    pid_t leader_;
    std::function<void()> onLooked_;
    QList<pid_t> members_;
    pid_t watchedMember_ = 0;
    FileDescriptor watchedPidfd_; // declared before its notifier, so it is closed after it
    QSocketNotifier endNotifier_{QSocketNotifier::Read};
    QTimer tick_;
};
