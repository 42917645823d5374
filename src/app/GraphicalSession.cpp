#include "app/GraphicalSession.h"

#include <QByteArrayList>
#include <QFileInfo>
#include <cstdio>

namespace {

bool isSet(const char* variable) {
    return !qEnvironmentVariableIsEmpty(variable);
}

// The Wayland client library connects to WAYLAND_DISPLAY, or else to wayland-0 in the runtime
// folder.
bool waylandReachable() {
    return isSet("WAYLAND_DISPLAY") ||
           QFileInfo::exists(qEnvironmentVariable("XDG_RUNTIME_DIR") + "/wayland-0");
}

// One entry of QT_QPA_PLATFORM: a plugin name, perhaps followed by ":options".
bool platformReachable(const QByteArray& entry) {
    const QByteArray name = entry.split(':').constFirst().trimmed();
    if (name == "xcb")
        return isSet("DISPLAY");
    if (name.startsWith("wayland"))
        return waylandReachable();
    return true; // no display server needed, or a name Qt judges itself
}

} // namespace

bool reportMissingGraphicalSession(int argumentCount) {
    if (argumentCount > 1)
        return false;
    QByteArray platforms = qgetenv("QT_QPA_PLATFORM");
    if (platforms.trimmed().isEmpty())
        platforms = "xcb;wayland";
    for (const QByteArray& entry : platforms.split(';'))
        if (platformReachable(entry))
            return false;
    std::fputs("corvantis needs a graphical session (X11 or Wayland) and found no display to show "
               "its window on; without a screen, run it on a virtual display: xvfb-run corvantis\n",
               stderr);
    return true;
}
