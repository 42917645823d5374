#include "app/GraphicalSession.h"

#include "opener/XcbSupport.h"

#include <QByteArrayList>
#include <QFileInfo>
#include <chrono>
#include <cstdio>
#include <future>
#include <thread>

namespace {

// Long enough for a server behind a slow link to answer; short enough that a display on a
// host that went away (whose connection the system gives up on only after minutes) ends the
// start soon.
constexpr std::chrono::seconds xServerPatience{10};

bool isSet(const char* variable) {
    return !qEnvironmentVariableIsEmpty(variable);
}

// The connection to the X server named in DISPLAY, when it takes one and has the screen the
// name asks for; none for a name that does not parse, a server that is gone or a screen it lacks.
XcbSupport::Connection xServerConnection(const QByteArray& display) {
    int screen = 0;
    XcbSupport::Connection connection(xcb_connect(display.constData(), &screen));
    if (xcb_connection_has_error(connection.get()) != 0 ||
        XcbSupport::rootOfScreen(connection.get(), screen) == XCB_WINDOW_NONE)
        return nullptr;
    return connection;
}

// The connection is tried on a thread of its own, so that a host that does not answer holds
// the start no longer than the patience; such a thread is left to end with the program. A
// connection made is held until the program ends: an X server (Xvfb) whose only client it is
// resets as it closes, and would refuse Qt's connection in that moment.
bool xDisplayUsable() {
    if (!isSet("DISPLAY"))
        return false;
    std::packaged_task<XcbSupport::Connection()> probe(
        [display = qgetenv("DISPLAY")] { return xServerConnection(display); });
    std::future<XcbSupport::Connection> answer = probe.get_future();
    std::thread(std::move(probe)).detach();
    if (answer.wait_for(xServerPatience) != std::future_status::ready)
        return false;
    static XcbSupport::Connection heldUntilExit;
    heldUntilExit = answer.get();
    return heldUntilExit != nullptr;
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
        return xDisplayUsable();
    if (name.startsWith("wayland"))
        return waylandReachable();
    return !name.isEmpty(); // no display server needed, or a name Qt judges itself
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
