#pragma once

#include <QSocketNotifier>
#include <QString>
#include <functional>
#include <memory>
#include <sys/types.h>

struct DBusConnection;

// Hears the session bus announce each well-known name that a process takes, with that process:
// the channel over which a second start of a single-instance program hands its arguments to the
// first (Firefox's org.mozilla.firefox.<profile>). Connects to DBUS_SESSION_BUS_ADDRESS on its
// own private connection, held while it lives; without a bus it hears nothing.
class SessionBusNames {
public:
    explicit SessionBusNames(std::function<void(pid_t owner)> onNameTaken);
    ~SessionBusNames();
    SessionBusNames(const SessionBusNames&) = delete;
    SessionBusNames& operator=(const SessionBusNames&) = delete;

private:
    void readMessages();
    pid_t ownerOf(const QString& name);

    std::function<void(pid_t owner)> onNameTaken_;
    DBusConnection* connection_ = nullptr;
    std::unique_ptr<QSocketNotifier> messageNotifier_;
};
