#include "opener/SessionProcesses.h"

#include <QDir>
#include <QFile>

namespace {

// The session of a process from its /proc/PID/stat line, "pid (name) state ppid pgrp session
// ...": read after the name's last ')', as the name itself may hold spaces and brackets.
pid_t sessionOf(const QString& pid) {
    QFile stat(QStringLiteral("/proc/") + pid + QStringLiteral("/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray line = stat.readAll();
    const qsizetype nameEnd = line.lastIndexOf(')');
    if (nameEnd < 0)
        return 0;
    return static_cast<pid_t>(line.mid(nameEnd + 2).split(' ').value(3).toLongLong());
}

} // namespace

QList<pid_t> sessionProcesses(pid_t leader) {
    QList<pid_t> members;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        bool isPid = false;
        const pid_t pid = static_cast<pid_t>(entry.toLongLong(&isPid));
        if (isPid && sessionOf(entry) == leader)
            members.append(pid);
    }
    return members;
}
