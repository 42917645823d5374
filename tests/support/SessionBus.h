#pragma once

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

// A private D-Bus session bus, as every desktop session has one: Firefox forwards an address to
// its running instance over it (without one, each start says Firefox is already running), and
// programs find the accessibility bus through it. It starts no services of its own, so nothing
// outlives it.
class SessionBus {
public:
    SessionBus() {
        const QString config = folder_.path() + QStringLiteral("/session.conf");
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write the bus configuration");
        file.write("<busconfig><type>session</type><listen>unix:dir=" + folder_.path().toUtf8() +
                   "</listen><policy context=\"default\"><allow user=\"*\"/>"
                   "<allow send_destination=\"*\"/><allow "
                   "receive_sender=\"*\"/>"
                   "<allow own=\"*\"/></policy></busconfig>\n");
        file.close();
        // Any local user may connect: the package test runs the program as an unprivileged user.
        QFile::setPermissions(folder_.path(), QFile::permissions(folder_.path()) |
                                                  QFile::ReadOther | QFile::ExeOther);
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                       QStringLiteral("--print-address")});
        if (!daemon_.waitForStarted(10000) || !daemon_.waitForReadyRead(10000))
            qFatal("cannot start dbus-daemon");
        address_ = QString::fromUtf8(daemon_.readLine().trimmed());
    }
    ~SessionBus() {
        daemon_.kill();
        daemon_.waitForFinished(5000);
    }
    SessionBus(const SessionBus&) = delete;
    SessionBus& operator=(const SessionBus&) = delete;

    // The value of DBUS_SESSION_BUS_ADDRESS.
    QString address() const { return address_; }

private:
    QTemporaryDir folder_;
    QProcess daemon_;
    QString address_;
};
