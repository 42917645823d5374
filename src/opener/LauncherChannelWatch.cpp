#include "opener/LauncherChannelWatch.h"

#include "opener/ListeningSockets.h"
#include "opener/SessionProcesses.h"

#include <unistd.h>

namespace {

constexpr std::chrono::milliseconds socketPollInterval{100};

} // namespace

LauncherChannelWatch::LauncherChannelWatch(std::chrono::milliseconds margin,
                                           std::chrono::milliseconds giveUpAfter)
    : margin_(margin), giveUpAfter_(giveUpAfter), busNames_([this](pid_t owner) {
          if (launcher_ != 0 && getsid(owner) == launcher_)
              noticeChannel();
      }) {
    marginTimer_.setSingleShot(true);
    QObject::connect(&marginTimer_, &QTimer::timeout, &marginTimer_, [this] { open_ = true; });
    socketPoll_.setInterval(socketPollInterval);
    QObject::connect(&socketPoll_, &QTimer::timeout, &socketPoll_, [this] { lookForSocket(); });
}

void LauncherChannelWatch::watch(pid_t launcher) {
    forget();
    launcher_ = launcher;
    giveUp_.setRemainingTime(giveUpAfter_);
    busNames_.connectOnce();
    socketPoll_.start();
}

void LauncherChannelWatch::forget() {
    launcher_ = 0;
    seen_ = false;
    open_ = false;
    marginTimer_.stop();
    socketPoll_.stop();
}

void LauncherChannelWatch::lookForSocket() {
    const QList<pid_t> processes = sessionProcesses(launcher_);
    if (processes.isEmpty() || giveUp_.hasExpired())
        socketPoll_.stop(); // the launcher and all it started have ended, or it took too long
    else if (holdsHandOverSocket(processes))
        noticeChannel();
}

void LauncherChannelWatch::noticeChannel() {
    socketPoll_.stop();
    if (seen_)
        return;
    seen_ = true;
    marginTimer_.start(margin_);
}
