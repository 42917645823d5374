#pragma once

#include "opener/LaunchReadiness.h"

#include <QTimer>
#include <functional>
#include <sys/types.h>

// Tells when a launcher that has become a program itself (xdg-open starting the browser, or a
// desktop's opener doing so) has opened a listening Unix socket: Chromium's SingletonSocket,
// over which a second start hands it an address, or the proxy to the compositor a native
// Wayland Firefox opens as it starts. Neither says that the program takes addresses yet; the
// caller waits for it to settle too (see SessionQuietWatch). Unlike a window, the socket is seen
// for a native Wayland browser too; it is watched only where the browser may be one
// (WAYLAND_DISPLAY set) or no X display can show a window: on X11 the window stays the sign.
// The sockets are looked for every 100 ms while watching.
class LauncherChannelWatch : public LaunchReadiness {
public:
    LauncherChannelWatch();
    LauncherChannelWatch(const LauncherChannelWatch&) = delete;
    LauncherChannelWatch& operator=(const LauncherChannelWatch&) = delete;

    void watch(pid_t launcher, std::function<void()> onReady) override;
    void stopWatching() override;

private:
    void lookForSocket();

    pid_t launcher_ = 0;
    std::function<void()> onReady_;
    QTimer socketPoll_;
};
