#include "opener/Launcher.h"

#include <csignal>
#include <spawn.h>
#include <unistd.h>
#include <utility>
#include <vector>

extern char** environ;

namespace {

// Starts the command in the folder "/", in a session of its own (so that the browser it
// may become does not end with this program's terminal, and so that what it starts can be
// told apart), with the default signal handling a freshly started program expects. posix_spawn
// does not copy the program's memory, so the cost does not grow with the size of the list (a
// fork of a program holding a million entries takes tens of milliseconds, during which the
// window is frozen). Its standard error goes to errorOutput unless that is -1. Returns 0, or the
// error number of the failed start.
int spawnInSession(QList<QByteArray> command, int errorOutput, pid_t& child) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, "/");
    if (errorOutput >= 0)
        posix_spawn_file_actions_adddup2(&actions, errorOutput, STDERR_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t noSignals;
    sigset_t allSignals;
    sigemptyset(&noSignals);
    sigfillset(&allSignals);
    posix_spawnattr_setsigmask(&attributes, &noSignals);
    posix_spawnattr_setsigdefault(&attributes, &allSignals);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID);

    std::vector<char*> arguments;
    for (QByteArray& argument : command)
        arguments.push_back(argument.data());
    arguments.push_back(nullptr);
    const int result =
        posix_spawnp(&child, arguments[0], &actions, &attributes, arguments.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return result;
}

} // namespace

Launcher::Launcher(const QByteArray& address, std::function<void(Launcher&, int waitStatus)> onExit,
                   std::function<void()> onSessionEnded)
    : Launcher(QList<QByteArray>{"xdg-open", address}, std::move(onExit),
               std::move(onSessionEnded)) {}

Launcher::Launcher(const QList<QByteArray>& command,
                   std::function<void(Launcher&, int waitStatus)> onExit,
                   std::function<void()> onSessionEnded)
    : startError_(spawnInSession(command, errorOutput_.launcherEnd(), pid_)) {
    if (startError_ != 0)
        return;
    exitWatch_ = std::make_unique<ChildExitWatch>(
        pid_, [this, onExit = std::move(onExit)](int waitStatus) { onExit(*this, waitStatus); });
    sessionWatch_ = std::make_unique<SessionEndWatch>(pid_, std::move(onSessionEnded));
}

void Launcher::letGo() {
    errorOutput_.letGo();
    if (sessionWatch_)
        sessionWatch_->letGo();
    if (exitWatch_)
        exitWatch_->watchWithoutDescriptor();
}
