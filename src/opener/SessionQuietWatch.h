#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QTimer>
#include <functional>
#include <optional>
#include <sys/types.h>

// Tells when the processes of a launcher's session have settled: for `quietSpan` together, they
// have wanted less than a quarter of one processor, counting the time their threads ran and the
// time they waited to run (so that a busy program on a loaded machine does not look idle).
//
// A starting browser shows its window, or opens its sockets, well before it has taken the
// address it was started with: on a loaded machine Firefox mapped its window seconds before it
// asked for its own first page, and an address handed to it meanwhile was lost or shown twice.
// Until it has taken that page it works without a pause; once its first page is up it idles.
// So a sign of readiness counts only once the session has settled after it.
//
// The threads' times come from /proc/PID/task/TID/schedstat; where the kernel keeps none, the
// session looks idle and the wait is `quietSpan` long.
class SessionQuietWatch {
public:
    static constexpr std::chrono::milliseconds quietSpan{400};

    SessionQuietWatch();
    SessionQuietWatch(const SessionQuietWatch&) = delete;
    SessionQuietWatch& operator=(const SessionQuietWatch&) = delete;

    // Watches the session led by `leader` from now on; onQuiet is called once, from the event
    // loop. A session whose processes have all ended is no longer watched.
    void watch(pid_t leader, std::function<void()> onQuiet);
    void stopWatching();
    bool watching() const { return poll_.isActive(); }

private:
    using ThreadTimes = QHash<qint64, qint64>; // thread id -> nanoseconds run or waiting to run

    // Nothing once no process of the session is left.
    static std::optional<ThreadTimes> threadTimesOf(pid_t leader);
    void sample();

    pid_t leader_ = 0;
    std::function<void()> onQuiet_;
    QTimer poll_;
    QElapsedTimer sinceLastSample_;
    ThreadTimes lastTimes_;
    int quietSamples_ = 0; // quiet samples in a row
};
