#include "opener/LauncherChannelWatch.h"

#include "opener/ListeningSockets.h"
#include "opener/SessionProcesses.h"

#include <chrono>
#include <utility>

namespace {

constexpr std::chrono::milliseconds socketPollInterval{100};

// Whether the browser may run as a native Wayland client, whose windows no X display shows, or
// no X display can be watched at all.
bool windowMayBeUnseen() {
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           qEnvironmentVariableIsEmpty("DISPLAY");
}

} // namespace

LauncherChannelWatch::LauncherChannelWatch() {
    socketPoll_.setInterval(socketPollInterval);
    QObject::connect(&socketPoll_, &QTimer::timeout, &socketPoll_, [this] { lookForSocket(); });
}

void LauncherChannelWatch::watch(pid_t launcher, std::function<void()> onReady) {
    stopWatching();
    if (!windowMayBeUnseen())
        return;
    launcher_ = launcher;
    onReady_ = std::move(onReady);
    socketPoll_.start();
}

void LauncherChannelWatch::stopWatching() {
    onReady_ = {};
    socketPoll_.stop();
}

void LauncherChannelWatch::lookForSocket() {
    const QList<pid_t> processes = sessionProcesses(launcher_);
    if (processes.isEmpty()) {
        socketPoll_.stop(); // the launcher and all it started have ended
    } else if (holdsListeningSocket(processes)) {
        socketPoll_.stop();
        std::exchange(onReady_, {})();
    }
}
