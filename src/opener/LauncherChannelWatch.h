#pragma once

#include "opener/SessionBusNames.h"

#include <QDeadlineTimer>
#include <QTimer>
#include <chrono>
#include <sys/types.h>

// Tells when a launcher that has become a program itself (xdg-open starting the browser) has
// opened the channel over which a second start hands that program its address: a listening
// socket of a process of the launcher's session (Chromium's SingletonSocket), or a name it has
// taken on the session bus (Firefox's remote control). Unlike a window, this is seen on Wayland
// and on X11 alike. The sockets are looked for every 100 ms until one is found or the watch gives
// up; the bus announces its names.
class LauncherChannelWatch {
public:
    // The program is deemed ready `margin` after its channel was seen. The sockets are no longer
    // looked for `giveUpAfter` after the start of a watch.
    LauncherChannelWatch(std::chrono::milliseconds margin, std::chrono::milliseconds giveUpAfter);
    LauncherChannelWatch(const LauncherChannelWatch&) = delete;
    LauncherChannelWatch& operator=(const LauncherChannelWatch&) = delete;

    // Watches the session led by `launcher` (started with setsid), in place of the one watched
    // before.
    void watch(pid_t launcher);
    // Watches nothing until the next watch.
    void forget();
    // The watched session has opened its channel, and the margin has passed since.
    bool channelOpen() const { return open_; }

private:
    void lookForSocket();
    void noticeChannel();

    std::chrono::milliseconds margin_;
    std::chrono::milliseconds giveUpAfter_;
    pid_t launcher_ = 0;
    bool seen_ = false;
    bool open_ = false;
    QDeadlineTimer giveUp_;
    QTimer socketPoll_;
    QTimer marginTimer_; // its timeout also wakes a run that waits for the channel
    SessionBusNames busNames_;
};
