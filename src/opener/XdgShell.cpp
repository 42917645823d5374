#include "opener/XdgShell.h"

#include <QByteArray>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>

extern char** environ;

namespace {

// Starts xdg-open with the address as its one argument in the folder "/", with the default
// signal handling a freshly started program expects. posix_spawn does not copy the program's
// memory, so the cost does not grow with the size of the list (a fork of a program holding a
// million entries takes tens of milliseconds, during which the window is frozen).
bool spawnXdgOpen(QByteArray argument, pid_t& child) {
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

    char program[] = "xdg-open";
    char* const arguments[] = {program, argument.data(), nullptr};
    const int result = posix_spawnp(&child, program, &actions, &attributes, arguments, environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return result == 0;
}

// Collects the child's exit in the background, so that no finished xdg-open is left behind as
// a zombie and the window never waits for one (xdg-open may last as long as the browser).
void reapInBackground(pid_t child) {
    try {
        std::thread([child] { waitpid(child, nullptr, 0); }).detach();
    } catch (const std::system_error&) {
        // No thread to spare: the finished child stays a zombie until the program ends.
    }
}

} // namespace

void XdgShell::open(const QString& address) {
    // xdg-open would read an address that begins with "-" as an option of its own.
    if (address.startsWith(QLatin1Char('-')))
        return;
    pid_t child = 0;
    if (spawnXdgOpen(address.toUtf8(), child))
        reapInBackground(child);
}
