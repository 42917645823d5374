#pragma once

#include "opener/LaunchReadiness.h"

#include <functional>
#include <sys/types.h>

// Tells when a launcher that has become a program itself (xdg-open starting the browser, or a
// desktop's opener doing so) has opened a listening Unix socket: Chromium's SingletonSocket,
// over which a second start hands it an address, or the proxy to the compositor a native
// Wayland Firefox opens as it starts. Neither says that the program takes addresses yet; the
// launch waits for it to settle too (see SessionQuietWatch). Unlike a window, the socket is seen
// for a native Wayland browser too; it is watched only where the browser may be one
// (WAYLAND_DISPLAY set) or no X display can show a window: on X11 the window stays the sign.
// The session's members are looked at at each look of the session.
class LauncherChannelWatch : public LaunchReadiness {
public:
    void watch(pid_t launcher, const QList<QByteArray>& addresses,
               std::function<void()> onReady) override;
    void look(const QList<pid_t>& members) override;
    void stopWatching() override;

private:
    std::function<void()> onReady_;
};
