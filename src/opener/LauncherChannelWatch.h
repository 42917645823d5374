#pragma once

#include "opener/LaunchReadiness.h"

#include <QTimer>
#include <chrono>
#include <functional>
#include <sys/types.h>

// Tells when a launcher that has become a program itself (xdg-open starting the browser, or a
// desktop's opener doing so) has opened the socket over which a second start hands that program
// its address: a listening Unix socket of a process of the launcher's session, as Chromium's
// SingletonSocket. Unlike a window, this is seen for a native Wayland browser too, and it is
// watched only where the browser may be one (WAYLAND_DISPLAY set) or no X display can show a
// window: on X11 the window stays the sign. Firefox's channel, a name on the session bus, is not
// a sign: it comes seconds before Firefox keeps every address handed to it. The sockets are
// looked for every 100 ms while watching.
class LauncherChannelWatch : public LaunchReadiness {
public:
    // The program is deemed ready `margin` after its socket was seen.
    explicit LauncherChannelWatch(std::chrono::milliseconds margin);
    LauncherChannelWatch(const LauncherChannelWatch&) = delete;
    LauncherChannelWatch& operator=(const LauncherChannelWatch&) = delete;

    void watch(pid_t launcher, std::function<void()> onReady) override;
    void stopWatching() override;

private:
    void lookForSocket();

    std::chrono::milliseconds margin_;
    pid_t launcher_ = 0;
    std::function<void()> onReady_;
    QTimer socketPoll_;
    QTimer marginTimer_; // its timeout also wakes a run that waits for the socket
};
