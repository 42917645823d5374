#include "opener/XdgShell.h"

#include "opener/HandOverRule.h"

#include <QByteArray>
#include <algorithm>
#include <csignal>
#include <spawn.h>

extern char** environ;

namespace {

// Starts `xdg-open ADDRESS` in the folder "/", in a session of its own (so that the browser it
// may become does not end with this program's terminal), with the default signal handling a
// freshly started program expects. posix_spawn does not copy the program's memory, so the cost
// does not grow with the size of the list (a fork of a program holding a million entries takes
// tens of milliseconds, during which the window is frozen).
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
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID);

    char program[] = "xdg-open";
    char* const arguments[] = {program, argument.data(), nullptr};
    const int result = posix_spawnp(&child, program, &actions, &attributes, arguments, environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return result == 0;
}

} // namespace

XdgShell::XdgShell(std::chrono::milliseconds settleTime) : settleTime_(settleTime) {
    settleTimer_.setSingleShot(true);
    QObject::connect(&settleTimer_, &QTimer::timeout, &settleTimer_, [this] { settled_ = true; });
}

Shell::HandOff XdgShell::open(const QString& address) {
    if (const auto refused = refusedHandOff(address))
        return *refused;
    std::erase_if(launchers_, [](const auto& launcher) { return launcher->hasExited(); });
    lastLauncher_ = nullptr;
    pid_t child = 0;
    if (!spawnXdgOpen(address.toUtf8(), child))
        return HandOff::started; // nothing to wait for; the desktop reports no failed start
    launchers_.push_back(std::make_unique<ChildExitWatch>(child));
    lastLauncher_ = launchers_.back().get();
    settled_ = false;
    settleTimer_.start(settleTime_);
    return HandOff::started;
}

bool XdgShell::handOffFinished() const {
    return lastLauncher_ == nullptr || lastLauncher_->hasExited() || settled_;
}

int XdgShell::launchersRunning() const {
    return static_cast<int>(
        std::count_if(launchers_.begin(), launchers_.end(),
                      [](const auto& launcher) { return !launcher->hasExited(); }));
}
