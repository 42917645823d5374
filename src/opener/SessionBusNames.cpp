#include "opener/SessionBusNames.h"

#include <dbus/dbus.h>

namespace {

constexpr const char* busName = "org.freedesktop.DBus";
constexpr const char* busPath = "/org/freedesktop/DBus";
// The bus answers at once; a bus that does not is not waited for longer than this.
constexpr int callTimeoutMs = 500;

// Owns one reference to a message.
struct MessageUnref {
    void operator()(DBusMessage* message) const { dbus_message_unref(message); }
};
using Message = std::unique_ptr<DBusMessage, MessageUnref>;

// The well-known name a NameOwnerChanged signal gives a new owner, or an empty text when the
// signal is of another kind (a name released, a connection's own unique name ":1.42").
QString takenName(DBusMessage* message) {
    if (!dbus_message_is_signal(message, busName, "NameOwnerChanged"))
        return {};
    const char* name = nullptr;
    const char* oldOwner = nullptr;
    const char* newOwner = nullptr;
    if (!dbus_message_get_args(message, nullptr, DBUS_TYPE_STRING, &name, DBUS_TYPE_STRING,
                               &oldOwner, DBUS_TYPE_STRING, &newOwner, DBUS_TYPE_INVALID) ||
        name[0] == ':' || newOwner[0] == '\0')
        return {};
    return QString::fromUtf8(name);
}

} // namespace

SessionBusNames::SessionBusNames(std::function<void(pid_t owner)> onNameTaken)
    : onNameTaken_(std::move(onNameTaken)) {
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return;
    DBusError error;
    dbus_error_init(&error);
    connection_ = dbus_bus_get_private(DBUS_BUS_SESSION, &error);
    dbus_error_free(&error);
    int descriptor = -1;
    if (connection_ == nullptr || !dbus_connection_get_unix_fd(connection_, &descriptor))
        return;
    // A bus that goes away ends this watch, not the program.
    dbus_connection_set_exit_on_disconnect(connection_, FALSE);
    dbus_bus_add_match(connection_,
                       "type='signal',sender='org.freedesktop.DBus',"
                       "interface='org.freedesktop.DBus',member='NameOwnerChanged'",
                       nullptr);
    dbus_connection_flush(connection_);
    messageNotifier_ = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read);
    QObject::connect(messageNotifier_.get(), &QSocketNotifier::activated, messageNotifier_.get(),
                     [this] { readMessages(); });
}

SessionBusNames::~SessionBusNames() {
    messageNotifier_.reset();
    if (connection_ != nullptr) {
        dbus_connection_close(connection_);
        dbus_connection_unref(connection_);
    }
}

void SessionBusNames::readMessages() {
    if (!dbus_connection_read_write(connection_, 0)) {
        messageNotifier_.reset(); // the bus has gone
        return;
    }
    while (const Message message{dbus_connection_pop_message(connection_)})
        if (const QString name = takenName(message.get()); !name.isEmpty())
            if (const pid_t owner = ownerOf(name); owner > 0)
                onNameTaken_(owner);
}

// The process that owns `name` now, or 0 when the bus cannot tell.
pid_t SessionBusNames::ownerOf(const QString& name) {
    const Message call{
        dbus_message_new_method_call(busName, busPath, busName, "GetConnectionUnixProcessID")};
    const QByteArray utf8 = name.toUtf8();
    const char* argument = utf8.constData();
    if (!call ||
        !dbus_message_append_args(call.get(), DBUS_TYPE_STRING, &argument, DBUS_TYPE_INVALID))
        return 0;
    const Message reply{
        dbus_connection_send_with_reply_and_block(connection_, call.get(), callTimeoutMs, nullptr)};
    dbus_uint32_t owner = 0;
    if (!reply ||
        !dbus_message_get_args(reply.get(), nullptr, DBUS_TYPE_UINT32, &owner, DBUS_TYPE_INVALID))
        return 0;
    return static_cast<pid_t>(owner);
}
