#pragma once

#include <QByteArray>
#include <QList>
#include <functional>
#include <sys/types.h>

// A sign, seen before the settle time has run out, that the program a launcher has become (a
// starting browser) is ready to take further addresses. A launch watches each such sign beside
// the end of its session. Most signs say only that the program is up, and the launch then waits
// for its session to settle; a sign that means ready ends the wait at once (see Launch).
class LaunchReadiness {
public:
    virtual ~LaunchReadiness() = default;

    // Watches the session led by `launcher` (started with setsid) and given `addresses`, in
    // place of the one watched before; onSign is called once, from the event loop, at the sign.
    virtual void watch(pid_t launcher, const QList<QByteArray>& addresses,
                       std::function<void()> onSign) = 0;
    // Whether the program is ready at this sign, without waiting for its session to settle.
    virtual bool meansReady() const { return false; }
    // The session's members at its latest look (every 100 ms while watched, also while it
    // settles), for a sign that looks at them rather than waiting to be told.
    virtual void look(const QList<pid_t>& members) { static_cast<void>(members); }
    // The wait has ended: stops watching, and lets go of what watching that session held.
    virtual void stopWatching() = 0;
};
