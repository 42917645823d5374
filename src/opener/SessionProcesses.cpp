#include "opener/SessionProcesses.h"

#include <QDir>
#include <unistd.h>

QList<pid_t> sessionProcesses(pid_t leader) {
    QList<pid_t> members;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        bool isPid = false;
        const auto pid = static_cast<pid_t>(entry.toLongLong(&isPid));
        if (isPid && ::getsid(pid) == leader)
            members.append(pid);
    }
    return members;
}
