#include "app/SingleInstance.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <sys/file.h>
#include <utility>

namespace {

// A request is one line: the activation id of the later start. Ids are short printable text.
constexpr qint64 longestRequest = 1024;
// How long a later start tries to reach the first, which takes the lock a moment before it
// listens, or may be busy.
constexpr int reachFirstMs = 5000;
constexpr int retryMs = 50;

// The display this start shows on, as a file name: $WAYLAND_DISPLAY, else $DISPLAY without its
// screen number (":0" and ":0.0" are one display).
QString displayAsFileName() {
    QString display = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (display.isEmpty()) {
        display = qEnvironmentVariable("DISPLAY");
        const qsizetype colon = display.lastIndexOf(QLatin1Char(':'));
        const qsizetype screen = colon < 0 ? -1 : display.indexOf(QLatin1Char('.'), colon);
        if (screen > colon)
            display.truncate(screen);
    }
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

QString SingleInstance::pathForThisSession() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        return {};
    return folder + QStringLiteral("/corvantis-") + displayAsFileName();
}

SingleInstance::SingleInstance(QString path, QObject* parent)
    : QObject(parent), path_(std::move(path)) {}

SingleInstance::Role SingleInstance::claim() {
    if (path_.isEmpty())
        return Role::Unguarded;
    lock_.setFileName(path_ + QStringLiteral(".lock"));
    if (!lock_.open(QIODevice::ReadWrite))
        return Role::Unguarded;
    if (::flock(lock_.handle(), LOCK_EX | LOCK_NB) != 0)
        return errno == EWOULDBLOCK ? Role::Second : Role::Unguarded;
    acceptRequests();
    return Role::First;
}

void SingleInstance::acceptRequests() {
    const QString socketPath = path_ + QStringLiteral(".socket");
    // A socket file here was left by a start that ended without cleaning up: nobody else
    // listens on it while this start holds the lock.
    QLocalServer::removeServer(socketPath);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(socketPath)) {
        qWarning("Corvantis: later starts cannot reach this one: %s",
                 qPrintable(server_->errorString()));
        return;
    }
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this,
                    [this, socket] { readRequest(socket); });
            readRequest(socket); // the request may have come with the connection
        }
    });
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
    QLocalSocket socket;
    const QDeadlineTimer deadline(reachFirstMs);
    while (true) {
        socket.connectToServer(path_ + QStringLiteral(".socket"));
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
