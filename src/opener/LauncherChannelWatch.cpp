#include "opener/LauncherChannelWatch.h"

#include "opener/ProcessSockets.h"

#include <utility>

namespace {

// Whether the browser may run as a native Wayland client, whose windows no X display shows, or
// no X display can be watched at all.
bool windowMayBeUnseen() {
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           qEnvironmentVariableIsEmpty("DISPLAY");
}

} // namespace

void LauncherChannelWatch::watch(pid_t /*launcher*/, const QList<QByteArray>& /*addresses*/,
                                 std::function<void()> onReady) {
    onReady_ = windowMayBeUnseen() ? std::move(onReady) : std::function<void()>();
}

void LauncherChannelWatch::look(const QList<pid_t>& members) {
    if (onReady_ && holdsListeningSocket(members))
        std::exchange(onReady_, {})();
}

void LauncherChannelWatch::stopWatching() {
    onReady_ = {};
}
