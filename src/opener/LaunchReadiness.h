#pragma once

#include <QList>
#include <functional>
#include <sys/types.h>

// A sign, seen before the settle time has run out, that the program a launcher has become (a
// starting browser) is ready to take further addresses. A launch watches each such sign beside
// the end of its session, and settles at the first that comes (see Launch).
class LaunchReadiness {
public:
    virtual ~LaunchReadiness() = default;

    // Watches the session led by `launcher` (started with setsid), in place of the one watched
    // before; onReady is called once, from the event loop, when its program is ready.
    virtual void watch(pid_t launcher, std::function<void()> onReady) = 0;
    // The session's members at its latest look (every 100 ms while watched), for a sign that
    // looks at them rather than waiting to be told.
    virtual void look(const QList<pid_t>& members) { static_cast<void>(members); }
    // The wait has ended: stops watching, and lets go of what watching that session held.
    virtual void stopWatching() = 0;
};
