#pragma once

#include <functional>
#include <sys/types.h>

// A sign, seen before the settle time has run out, that the program a launcher has become (a
// starting browser) is ready to take further addresses. The hand-off watches each such sign
// beside the end of the launcher's session, and its wait ends at whichever comes first.
class LaunchReadiness {
public:
    virtual ~LaunchReadiness() = default;

    // Watches the session led by `launcher` (started with setsid), in place of the one watched
    // before; onReady is called once, from the event loop, when its program is ready.
    virtual void watch(pid_t launcher, std::function<void()> onReady) = 0;
    // The wait has ended: stops watching, and lets go of what watching that session held.
    virtual void stopWatching() = 0;
};
