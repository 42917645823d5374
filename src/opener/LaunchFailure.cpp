#include "opener/LaunchFailure.h"

#include <sys/wait.h>

std::optional<QString> launchFailure(int waitStatus, LauncherErrorOutput& errorOutput,
                                     const QString& program) {
    if (WIFEXITED(waitStatus) && WEXITSTATUS(waitStatus) == 0)
        return std::nullopt;
    if (QString line = errorOutput.firstAndLastLines(); !line.isEmpty())
        return line;
    if (WIFEXITED(waitStatus))
        return QStringLiteral("%1 ended with exit status %2")
            .arg(program)
            .arg(WEXITSTATUS(waitStatus));
    return QStringLiteral("%1 was ended by signal %2").arg(program).arg(WTERMSIG(waitStatus));
}
