#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <chrono>
#include <sys/types.h>

// Tells when the processes of a launcher's session have settled: for `quietSpan` together, they
// have wanted less than a quarter of one processor, counting the time their threads ran and the
// time they waited to run (so that a busy program on a loaded machine does not look idle).
//
// A starting browser shows its window, or opens its sockets, well before it has taken the
// address it was started with: on a loaded machine Firefox mapped its window seconds before it
// asked for its own first page, and an address handed to it meanwhile was lost or shown twice.
// Until it has taken that page it works without a pause; once its first page is up it idles.
// So a window or socket counts only once the session has settled after it (the request for
// its page, PageRequestWatch, needs no settling).
//
// The threads' times come from /proc/PID/task/TID/schedstat; where the kernel keeps none, the
// session looks idle and settles after `quietSpan`. It samples the members of each look at the
// session (LaunchSession, every 100 ms).
class SessionQuietWatch {
public:
    static constexpr std::chrono::milliseconds quietSpan{400};
    // The share of one processor below which the session counts as quiet. An idle browser wakes
    // for a few milliseconds now and then; a starting one wants one processor or more throughout.
    static constexpr double quietShare = 0.25;

    // Starts counting from the session's members now.
    void start(const QList<pid_t>& members);
    // One more sample of the members: true once the session has been quiet for quietSpan.
    bool settledAfter(const QList<pid_t>& members);
    // Whether `busy` in `elapsed` is less than the quiet share of one processor.
    static bool quiet(std::chrono::nanoseconds busy, std::chrono::nanoseconds elapsed);

private:
    using ThreadTimes = QHash<qint64, qint64>; // thread id -> nanoseconds run or waiting to run

    static ThreadTimes threadTimesOf(const QList<pid_t>& members);

    QElapsedTimer sinceLastSample_;
    QElapsedTimer quietSince_; // invalid while busy
    ThreadTimes lastTimes_;
};
