#include "opener/XdgShell.h"

#include <QByteArray>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

// Starts `setsid -f xdg-open ADDRESS` in the folder "/", with the default signal handling a
// freshly started program expects. setsid starts xdg-open in a session of its own and returns
// at once, so xdg-open (which may last as long as the browser) is never our child to wait for.
// posix_spawn does not copy the program's memory, so the cost does not grow with the size of
// the list (a fork of a program holding a million entries takes tens of milliseconds, during
// which the window is frozen).
bool spawnDetachedXdgOpen(QByteArray argument, pid_t& child) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, "/");
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t noSignals;
    sigset_t allSignals;
    sigemptyset(&noSignals);
    sigfillset(&allSignals);
    posix_spawnattr_setsigmask(&attributes, &noSignals);
    posix_spawnattr_setsigdefault(&attributes, &allSignals);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    char program[] = "setsid";
    char fork[] = "-f";
    char xdgOpen[] = "xdg-open";
    char* const arguments[] = {program, fork, xdgOpen, argument.data(), nullptr};
    const int result = posix_spawnp(&child, program, &actions, &attributes, arguments, environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return result == 0;
}

} // namespace

void XdgShell::open(const QString& address) {
    // xdg-open would read an address that begins with "-" as an option of its own.
    if (address.startsWith(QLatin1Char('-')))
        return;
    pid_t child = 0;
    if (spawnDetachedXdgOpen(address.toUtf8(), child))
        waitpid(child, nullptr, 0); // setsid itself ends as soon as it has started xdg-open
}
