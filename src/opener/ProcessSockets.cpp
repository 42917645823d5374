#include "opener/ProcessSockets.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <array>
#include <cstring>
#include <netinet/in.h>
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

// The far end of each TCP socket of this network namespace, by its inode, from /proc/net/tcp
// and tcp6: "sl local_address rem_address st ... uid timeout inode". A listening socket
// (state 0A) has no far end.
QHash<QByteArray, QByteArray> farEndsBySocket() {
    constexpr QByteArrayView listening{"0A"};
    QHash<QByteArray, QByteArray> farEnds;
    for (const QString& path :
         {QStringLiteral("/proc/net/tcp"), QStringLiteral("/proc/net/tcp6")}) {
        QFile table(path);
        if (!table.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> lines = table.readAll().split('\n');
        for (const QByteArray& line : lines) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            if (fields.size() >= 10 && fields[3] != listening)
                farEnds.insert(fields[9], fields[2]);
        }
    }
    return farEnds;
}

// An address's bytes, in network order, as the kernel writes them: each 32-bit word in hex as
// the machine reads it.
QByteArray tableAddress(const unsigned char* bytes, std::size_t size) {
    QByteArray text;
    for (std::size_t word = 0; word < size; word += 4) {
        quint32 value = 0;
        std::memcpy(&value, bytes + word, sizeof value);
        text += QByteArray::number(value, 16).rightJustified(8, '0').toUpper();
    }
    return text;
}

// Whether any of `processes` holds one of the sockets `inodes`.
bool holdsAnyOf(const QList<pid_t>& processes, const QSet<QByteArray>& inodes) {
    if (inodes.isEmpty())
        return false; // no descriptor to read
    for (const pid_t process : processes)
        for (const QByteArray& inode : socketInodesOf(process))
            if (inodes.contains(inode))
                return true;
    return false;
}

} // namespace

QList<QByteArray> tableEndpoints(const sockaddr* address, quint16 port) {
    const QByteArray portText = ':' + QByteArray::number(port, 16).rightJustified(4, '0').toUpper();
    if (address->sa_family == AF_INET6) {
        sockaddr_in6 ipv6{};
        std::memcpy(&ipv6, address, sizeof ipv6);
        return {tableAddress(ipv6.sin6_addr.s6_addr, sizeof ipv6.sin6_addr.s6_addr) + portText};
    }
    if (address->sa_family != AF_INET)
        return {};
    sockaddr_in ipv4{};
    std::memcpy(&ipv4, address, sizeof ipv4);
    std::array<unsigned char, 16> mapped{};
    mapped[10] = mapped[11] = 0xff; // ::ffff:a.b.c.d
    std::memcpy(mapped.data() + 12, &ipv4.sin_addr, 4);
    return {tableAddress(reinterpret_cast<const unsigned char*>(&ipv4.sin_addr), 4) + portText,
            tableAddress(mapped.data(), mapped.size()) + portText};
}

QSet<QByteArray> connectionsOf(const QList<pid_t>& processes) {
    QSet<QByteArray> farEnds;
    const QHash<QByteArray, QByteArray> bySocket = farEndsBySocket();
    if (bySocket.isEmpty())
        return farEnds; // no descriptor to read
    for (const pid_t process : processes)
        for (const QByteArray& inode : socketInodesOf(process))
            if (const auto found = bySocket.constFind(inode); found != bySocket.cend())
                farEnds.insert(*found);
    return farEnds;
}

bool holdsListeningSocket(const QList<pid_t>& processes) {
    return holdsAnyOf(processes, listeningUnixSockets());
}
