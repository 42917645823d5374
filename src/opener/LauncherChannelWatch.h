#pragma once

#include "opener/LaunchReadiness.h"
#include "opener/SessionBusNames.h"

#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <sys/types.h>

// Tells when a launcher that has become a program itself (xdg-open starting the browser, or a
// desktop's opener doing so) has opened the channel over which a second start hands that
// program its address: a listening socket of a process of the launcher's session (Chromium's
// SingletonSocket), or a name it has taken on the session bus (Firefox's remote control).
// Unlike a window, this is seen for a native Wayland browser too, and it is watched only where
// the browser may be one (WAYLAND_DISPLAY set) or no X display can show a window: on X11 the
// window stays the sign. The sockets are looked for every 100 ms while watching; the bus
// announces its names.
class LauncherChannelWatch : public LaunchReadiness {
public:
    // The program is deemed ready `margin` after its channel was seen.
    explicit LauncherChannelWatch(std::chrono::milliseconds margin);
    LauncherChannelWatch(const LauncherChannelWatch&) = delete;
    LauncherChannelWatch& operator=(const LauncherChannelWatch&) = delete;

    // Connects to the session bus while it watches.
    void watch(pid_t launcher, std::function<void()> onReady) override;
    void stopWatching() override;

private:
    void lookForSocket();
    void noticeChannel();

    std::chrono::milliseconds margin_;
    pid_t launcher_ = 0; // 0 while nothing is watched
    std::function<void()> onReady_;
    QTimer socketPoll_;
    QTimer marginTimer_; // its timeout also wakes a run that waits for the channel
    std::unique_ptr<SessionBusNames> busNames_; // while watching
};
