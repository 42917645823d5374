#include "opener/ListeningSockets.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <array>
#include <unistd.h>

namespace {

constexpr QByteArrayView socketLinkPrefix{"socket:["};

// The inodes of the listening Unix sockets bound to a path, from
// /proc/net/unix: "Num RefCount Protocol Flags Type St Inode Path", where the flag
// __SO_ACCEPTCON (00010000) marks a listening socket.
QSet<QByteArray> listeningUnixSockets() {
    QSet<QByteArray> sockets;
    QFile table(QStringLiteral("/proc/net/unix"));
    if (!table.open(QIODevice::ReadOnly))
        return sockets;
    // Read whole: a file of /proc has no size, so its end cannot be asked for.
    const QList<QByteArray> lines = table.readAll().split('\n');
    for (const QByteArray& line : lines) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 8 && fields[3] == "00010000" && fields[7].startsWith('/'))
            sockets.insert(fields[6]);
    }
    return sockets;
}

// The socket inodes among the open descriptors of a process.
QList<QByteArray> socketInodesOf(pid_t process) {
    QList<QByteArray> inodes;
    const QString folder = QStringLiteral("/proc/%1/fd/").arg(process);
    const QStringList descriptors =
        QDir(folder).entryList(QDir::System); // links to nowhere, as a socket's
    for (const QString& descriptor : descriptors) {
        // The link's own text, "socket:[INODE]": Qt would make it a path.
        std::array<char, 64> target{};
        const ssize_t length = ::readlink(QFile::encodeName(folder + descriptor).constData(),
                                          target.data(), target.size());
        const QByteArray link(target.data(), length > 0 ? length : 0);
        if (link.startsWith(socketLinkPrefix) && link.endsWith(']'))
            inodes.append(
                link.sliced(socketLinkPrefix.size(), link.size() - socketLinkPrefix.size() - 1));
    }
    return inodes;
}

} // namespace

bool holdsListeningSocket(const QList<pid_t>& processes) {
    const QSet<QByteArray> listening = listeningUnixSockets();
    for (const pid_t process : processes)
        for (const QByteArray& inode : socketInodesOf(process))
            if (listening.contains(inode))
                return true;
    return false;
}
