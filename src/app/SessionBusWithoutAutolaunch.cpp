#include "app/SessionBusWithoutAutolaunch.h"

#include <QDBusConnection>
#include <QFileInfo>

namespace {

// Where libdbus finds a session bus before it would start one: the address in the
// environment, or else the user's bus socket in the runtime folder.
bool sessionBusAnnounced() {
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtimeFolder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtimeFolder.isEmpty() && QFileInfo::exists(runtimeFolder + QStringLiteral("/bus"));
}

} // namespace

void connectSessionBusWithoutAutolaunch() {
    if (sessionBusAnnounced())
        return;
    qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    QDBusConnection::sessionBus();
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
}
