#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QProcess>
#include <QRect>
#include <QTest>
#include <QThread>
#include <functional>
#include <optional>
#include <unistd.h>

#include "SessionBus.h"

// The accessibility bus of a desktop session: the AT-SPI bus launcher on a session bus, which
// starts the accessibility bus and its registry. Programs find it through the session bus, as
// they do in a person's session, and screen readers read them through it.
class AccessibilityBus {
public:
    explicit AccessibilityBus(const QString& sessionBusAddress) : session_(sessionBusAddress) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), sessionBusAddress);
        // Without DISPLAY it does not publish the bus on the shared X server's root window,
        // where every later program on that display would find a bus long gone.
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        environment.insert(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("memory"));
        launcher_.setProcessEnvironment(environment);
        launcher_.setStandardOutputFile(QProcess::nullDevice());
        launcher_.setStandardErrorFile(QProcess::nullDevice());
        const QStringList command{QStringLiteral("/usr/libexec/at-spi-bus-launcher"),
                                  QStringLiteral("--launch-immediately")};
        // The accessibility bus admits its owner and root: owned by nobody, it admits the
        // tests' programs both as root and as an unprivileged user.
        if (::geteuid() == 0)
            launcher_.start(QStringLiteral("setpriv"),
                            QStringList{QStringLiteral("--reuid=nobody"),
                                        QStringLiteral("--regid=nogroup"),
                                        QStringLiteral("--clear-groups")} +
                                command);
        else
            launcher_.start(command.first(), command.mid(1));
        const QDeadlineTimer deadline(10000);
        QDBusConnection session = QDBusConnection::connectToBus(sessionBusAddress, busName());
        while (!session.interface()->isServiceRegistered(QStringLiteral("org.a11y.Bus"))) {
            if (deadline.hasExpired() || launcher_.state() == QProcess::NotRunning)
                qFatal("the AT-SPI bus launcher did not start");
            QThread::msleep(20);
        }
    }
    ~AccessibilityBus() {
        launcher_.terminate();
        if (!launcher_.waitForFinished(5000))
            launcher_.kill();
        QDBusConnection::disconnectFromBus(busName());
    }
    AccessibilityBus(const AccessibilityBus&) = delete;
    AccessibilityBus& operator=(const AccessibilityBus&) = delete;

    // The address of the accessibility bus, as a screen reader asks the session for it.
    QString address() const {
        const QDBusMessage reply = QDBusConnection(busName()).call(QDBusMessage::createMethodCall(
            QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
            QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress")));
        return reply.arguments().value(0).toString();
    }

private:
    QString busName() const { return QStringLiteral("session ") + session_; }

    QString session_;
    QProcess launcher_;
};

// One object of a program's accessibility tree: its bus name and its path.
struct AccessibleObject {
    QString service;
    QString path;
};

// A program's window as a screen reader reads it over AT-SPI: the objects, their names, roles,
// states and places on the screen. Tests find controls by the names a person hears.
class AccessibleTree {
public:
    // The AT-SPI number of the state "checked".
    static constexpr int checked = 4;

    AccessibleTree(const QString& busAddress, qint64 pid)
        : connectionName_(QStringLiteral("a11y %1").arg(pid)),
          bus_(QDBusConnection::connectToBus(busAddress, connectionName_)), pid_(pid) {}
    ~AccessibleTree() { QDBusConnection::disconnectFromBus(connectionName_); }
    AccessibleTree(const AccessibleTree&) = delete;
    AccessibleTree& operator=(const AccessibleTree&) = delete;

    // The program's application object, once the program has joined the registry.
    std::optional<AccessibleObject> application() const {
        for (const AccessibleObject& candidate :
             children({QStringLiteral("org.a11y.atspi.Registry"),
                       QStringLiteral("/org/a11y/atspi/accessible/root")}))
            if (bus_.interface()->servicePid(candidate.service).value() == pid_)
                return candidate;
        return std::nullopt;
    }

    QList<AccessibleObject> children(const AccessibleObject& object) const {
        QList<AccessibleObject> found;
        const QDBusArgument list =
            call(object, QStringLiteral("org.a11y.atspi.Accessible"), QStringLiteral("GetChildren"))
                .value<QDBusArgument>();
        list.beginArray();
        while (!list.atEnd()) {
            AccessibleObject child;
            QDBusObjectPath path;
            list.beginStructure();
            list >> child.service >> path;
            list.endStructure();
            child.path = path.path();
            found.append(child);
        }
        list.endArray();
        return found;
    }

    QString name(const AccessibleObject& object) const {
        return call(object, QStringLiteral("org.freedesktop.DBus.Properties"),
                    QStringLiteral("Get"),
                    {QStringLiteral("org.a11y.atspi.Accessible"), QStringLiteral("Name")})
            .value<QDBusVariant>()
            .variant()
            .toString();
    }

    // The role's name, such as "push button" or "check box".
    QString role(const AccessibleObject& object) const {
        return call(object, QStringLiteral("org.a11y.atspi.Accessible"),
                    QStringLiteral("GetRoleName"))
            .toString();
    }

    bool hasState(const AccessibleObject& object, int state) const {
        const auto words = qdbus_cast<QList<uint>>(
            call(object, QStringLiteral("org.a11y.atspi.Accessible"), QStringLiteral("GetState")));
        return state / 32 < words.size() && (words.at(state / 32) >> (state % 32) & 1U) != 0;
    }

    // The object's place on the screen.
    QRect extents(const AccessibleObject& object) const {
        const QDBusArgument box = call(object, QStringLiteral("org.a11y.atspi.Component"),
                                       QStringLiteral("GetExtents"), {0U})
                                      .value<QDBusArgument>();
        int x = 0, y = 0, width = 0, height = 0;
        box.beginStructure();
        box >> x >> y >> width >> height;
        box.endStructure();
        return {x, y, width, height};
    }

    // Does the object's action of that name (such as "Toggle"), as a screen reader user does.
    bool doAction(const AccessibleObject& object, const QString& action) const {
        const QString actions = QStringLiteral("org.a11y.atspi.Action");
        const int count = call(object, QStringLiteral("org.freedesktop.DBus.Properties"),
                               QStringLiteral("Get"), {actions, QStringLiteral("NActions")})
                              .value<QDBusVariant>()
                              .variant()
                              .toInt();
        for (int index = 0; index < count; ++index)
            if (call(object, actions, QStringLiteral("GetName"), {index}).toString() == action)
                return call(object, actions, QStringLiteral("DoAction"), {index}).toBool();
        return false;
    }

    // The first object, depth first from the application, of that name and role (any role when
    // empty). Waits for the program to show it; nullopt when it never does.
    std::optional<AccessibleObject> waitFor(const QString& name, const QString& role = {}) const {
        const QDeadlineTimer deadline(20000);
        do {
            if (const auto root = application())
                if (auto found = find(*root, [&](const AccessibleObject& object) {
                        return this->name(object) == name &&
                               (role.isEmpty() || this->role(object) == role);
                    }))
                    return found;
            QTest::qWait(100);
        } while (!deadline.hasExpired());
        return std::nullopt;
    }

    std::optional<AccessibleObject>
    find(const AccessibleObject& from,
         const std::function<bool(const AccessibleObject&)>& matches) const {
        if (matches(from))
            return from;
        for (const AccessibleObject& child : children(from))
            if (auto found = find(child, matches))
                return found;
        return std::nullopt;
    }

private:
    QVariant call(const AccessibleObject& object, const QString& interface, const QString& method,
                  const QVariantList& arguments = {}) const {
        QDBusMessage message =
            QDBusMessage::createMethodCall(object.service, object.path, interface, method);
        message.setArguments(arguments);
        return bus_.call(message).arguments().value(0);
    }

    QString connectionName_;
    QDBusConnection bus_;
    qint64 pid_;
};
