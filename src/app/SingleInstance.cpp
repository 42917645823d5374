#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <utility>

namespace {

// A request is one line: the activation id of the later start. Ids are short printable text.
constexpr qint64 longestRequest = 1024;
// A later start sends its request as it connects: a connection that has sent none this long
// after is closed, and no more than this many are open at once (the oldest is closed to make
// room), so that idle connections can neither use up the program's file descriptors nor keep
// a later start out.
constexpr int requestWithinMs = 2000;
constexpr qsizetype mostOpenConnections = 64;
// How long a later start waits for the first to write its display (it takes the lock a moment
// before) and to be reached (it listens a moment after, and may be busy).
constexpr int reachFirstMs = 5000;
constexpr int retryMs = 50;
constexpr qint64 longestDisplay = 255;
// How often the holder looks whether its lock file is still in place.
constexpr int lockWatchMs = 1000;

// The display as part of a file name: anything but letters, digits, "." and "-" becomes "_".
QString asFileName(QString display) {
    for (QChar& character : display) {
        const bool plain = character.unicode() < 128 &&
                           (character.isLetterOrNumber() || character == QLatin1Char('.') ||
                            character == QLatin1Char('-'));
        if (!plain)
            character = QLatin1Char('_');
    }
    return display;
}

bool isPrintableText(const QByteArray& bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char byte) { return byte > ' ' && byte < 127; });
}

} // namespace

SingleInstance::SingleInstance(QString lockPath, QString display, QObject* parent)
    : QObject(parent), lockPath_(lockPath), display_(std::move(display)),
      lock_(std::move(lockPath)) {}

QString SingleInstance::listOpenElsewhere(const QString& display) {
    if (display.isEmpty())
        return QStringLiteral("The website list is already open in another Corvantis window.");
    return QStringLiteral("The website list is already open in Corvantis on display %1.")
        .arg(display);
}

QString SingleInstance::unusableLockNotice() const {
    return QStringLiteral("Corvantis cannot use its lock file %1: %2. It ends without writing "
                          "anything. Remove or replace that file, then start Corvantis again.")
        .arg(lockPath_, lock_.problem());
}

SingleInstance::Role SingleInstance::claim() {
    // Without a folder that can be written, nothing could be saved either: the guard has
    // nothing to protect. Anything else that stands in its way ends the start.
    switch (lock_.open()) {
    case LockFile::Opening::folderNotWritable:
        return Role::Unguarded;
    case LockFile::Opening::unusable:
        return Role::Unusable;
    case LockFile::Opening::opened:
        break;
    }
    socketPath_ = socketPath();
    const LockFile::Locking locking = lock_.tryLock();
    if (locking == LockFile::Locking::unsupported)
        return Role::Unguarded; // a file system without locks: the program would never run
    if (locking == LockFile::Locking::heldElsewhere) {
        holderDisplay_ = waitForHolderDisplay();
        // A holder that wrote no display may still answer on this one.
        const bool here = holderDisplay_.isEmpty() || holderDisplay_ == display_;
        return here ? Role::Second : Role::Elsewhere;
    }
    writeDisplayIntoLock();
    acceptRequests();
    watchLockFile();
    return Role::First;
}

// A lock file removed (or replaced) while this start holds it would let the next start take
// the list: the holder looks now and then, and puts a lock of its own back at the path.
void SingleInstance::watchLockFile() {
    auto* watch = new QTimer(this);
    connect(watch, &QTimer::timeout, this, [this] {
        if (!lock_.isStillAtPath())
            putLockFileBack();
    });
    watch->start(lockWatchMs);
}

void SingleInstance::putLockFileBack() {
    LockFile replacement(lockPath_);
    if (replacement.open() != LockFile::Opening::opened ||
        replacement.tryLock() != LockFile::Locking::taken) {
        qWarning("Corvantis: the lock file %s was replaced, and cannot be taken back: another "
                 "start may now write the list",
                 qPrintable(lockPath_));
        return;
    }
    qWarning("Corvantis: the lock file %s was removed while this window held it; it is back",
             qPrintable(lockPath_));
    lock_ = std::move(replacement);
    writeDisplayIntoLock();
}

// The socket of the list's holder on this display: in the user's runtime folder (Qt's checked
// $XDG_RUNTIME_DIR, or its private fallback in /tmp), named after the display and the lock, so
// that windows of two settings folders on one display keep apart. Empty without such a folder.
QString SingleInstance::socketPath() const {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        return {};
    const QByteArray lock = QFile::encodeName(QFileInfo(lockPath_).canonicalFilePath());
    const QByteArray lockId = QCryptographicHash::hash(lock, QCryptographicHash::Sha256).toHex();
    return folder + QStringLiteral("/corvantis-") + asFileName(display_) + QLatin1Char('-') +
           QString::fromLatin1(lockId.left(12)) + QStringLiteral(".socket");
}

// Tells later starts where the list is open. Should this write fail, they can only say that it
// is open elsewhere.
void SingleInstance::writeDisplayIntoLock() {
    if (!lock_.writeLine(display_.toUtf8().left(longestDisplay)))
        qWarning("Corvantis: cannot write this display into %s", qPrintable(lockPath_));
}

QString SingleInstance::waitForHolderDisplay() const {
    const QDeadlineTimer deadline(reachFirstMs);
    do {
        const QByteArray line = lock_.readLine(longestDisplay);
        if (!line.isEmpty())
            return QString::fromUtf8(line);
        QThread::msleep(retryMs);
    } while (!deadline.hasExpired());
    return {};
}

void SingleInstance::acceptRequests() {
    if (socketPath_.isEmpty()) {
        qWarning("Corvantis: later starts cannot reach this one: no runtime folder");
        return;
    }
    // A socket file here was left by a start that ended without cleaning up: nobody else
    // listens on it while this start holds the lock.
    QLocalServer::removeServer(socketPath_);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(socketPath_)) {
        qWarning("Corvantis: later starts cannot reach this one: %s",
                 qPrintable(server_->errorString()));
        return;
    }
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection())
            takeConnection(socket);
    });
}

void SingleInstance::takeConnection(QLocalSocket* socket) {
    connections_.removeIf([](const QPointer<QLocalSocket>& open) {
        return open.isNull() || open->state() == QLocalSocket::UnconnectedState;
    });
    if (connections_.size() >= mostOpenConnections)
        connections_.takeFirst()->abort();
    connections_.append(socket);
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
    QTimer::singleShot(requestWithinMs, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
    readRequest(socket); // the request may have come with the connection
}

void SingleInstance::readRequest(QLocalSocket* socket) {
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > longestRequest)
            socket->abort();
        return;
    }
    QByteArray activationId = socket->readLine(longestRequest + 1).trimmed();
    socket->disconnectFromServer();
    if (!isPrintableText(activationId))
        activationId.clear();
    emit comeForwardRequested(activationId);
}

bool SingleInstance::askFirstToComeForward(const QByteArray& activationId) {
    if (socketPath_.isEmpty())
        return false;
    QLocalSocket socket;
    const QDeadlineTimer deadline(reachFirstMs);
    while (true) {
        socket.connectToServer(socketPath_);
        if (socket.waitForConnected(static_cast<int>(deadline.remainingTime())))
            break;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(retryMs);
    }
    socket.write(activationId + '\n');
    if (!socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime())))
        return false;
    socket.disconnectFromServer();
    return true;
}
