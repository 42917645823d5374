#pragma once

#include "base/LockFile.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class QLocalServer;
class QLocalSocket;

// One writer per list: two windows on one stored list would each save it at close, and the
// last to close would win. The first start holds an exclusive lock on a file beside the stored
// list for its whole session and writes its display into it; a later start finds the lock
// taken. On the same display it asks the running window to come forward, through a local
// socket in the user's runtime folder; on another display it can only say where the list is
// open.
//
// The lock is an flock, which the kernel drops when its holder ends in any way, so a crashed
// first start never blocks the next; the socket it leaves behind is taken over by whoever holds
// the lock next. The holder watches its lock file: one removed or replaced while it runs is put
// back, so that a later start still finds the list taken.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    enum class Role {
        First,     // this start runs the program, and listens for later starts
        Second,    // the list is open on this display: ask that window to come forward, then end
        Elsewhere, // the list is open on another display: say so, then end
        Unguarded, // no lock can be had (the settings folder cannot be written): run without one
        Unusable,  // the lock file is no lock of this user's (a link, a FIFO, another's): end
    };

    // lockPath: the lock file beside the stored list; display: where this start shows, as
    // displayOfThisStart() writes it.
    SingleInstance(QString lockPath, QString display, QObject* parent = nullptr);

    Role claim();
    // For Role::Second and Role::Elsewhere: the display the list is open on, as its holder
    // wrote it into the lock file (empty when it wrote none).
    QString holderDisplay() const { return holderDisplay_; }
    // For Role::Unusable: the notice that says which file is wrong, and how.
    QString unusableLockNotice() const;
    // For Role::Second: hands the running program the activation id of this start (which lets
    // its window take the focus under focus-stealing prevention). False when it cannot be
    // reached.
    bool askFirstToComeForward(const QByteArray& activationId);

    // What a start that ends because the list is open in another window says.
    static QString listOpenElsewhere(const QString& display);

signals:
    // A later start asked this one to come forward, with its activation id (may be empty).
    void comeForwardRequested(const QByteArray& activationId);

private:
    QString socketPath() const;
    void writeDisplayIntoLock();
    void watchLockFile();
    void putLockFileBack();
    QString waitForHolderDisplay() const;
    void acceptRequests();
    void takeConnection(QLocalSocket* socket);
    void readRequest(QLocalSocket* socket);

    QString lockPath_;
    QString display_;
    QString socketPath_;
    QString holderDisplay_;
    LockFile lock_;
    QLocalServer* server_ = nullptr;
    // The connections open now, oldest first.
    QList<QPointer<QLocalSocket>> connections_;
};
