#pragma once

#include <QByteArray>
#include <QFile>
#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

// One running program per user and display: two windows would each save the list at close, and
// the last to close would win. The first start holds a lock file and listens on a local socket
// beside it; a later start finds the lock taken, asks the first to come forward and ends.
//
// The lock is an flock, which the kernel drops when its holder ends in any way, so a crashed
// first start never blocks the next; the socket it leaves behind is taken over by whoever holds
// the lock next.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    enum class Role {
        First,     // this start runs the program, and listens for later starts
        Second,    // another start runs it: ask it to come forward, then end
        Unguarded, // no lock can be had here (no usable runtime folder): run without one
    };

    // The lock and the socket of this user and display: "corvantis-<display>" in the user's
    // runtime folder (Qt's checked $XDG_RUNTIME_DIR, or its private fallback in /tmp). Empty
    // when there is no safe folder.
    static QString pathForThisSession();

    // path is the stem of the lock file (path + ".lock") and the socket (path + ".socket").
    explicit SingleInstance(QString path, QObject* parent = nullptr);

    Role claim();
    // For Role::Second: hands the running program the activation id of this start (which lets
    // its window take the focus under focus-stealing prevention). False when it cannot be
    // reached.
    bool askFirstToComeForward(const QByteArray& activationId);

signals:
    // A later start asked this one to come forward, with its activation id (may be empty).
    void comeForwardRequested(const QByteArray& activationId);

private:
    void acceptRequests();
    void readRequest(QLocalSocket* socket);

    QString path_;
    QFile lock_;
    QLocalServer* server_ = nullptr;
};
