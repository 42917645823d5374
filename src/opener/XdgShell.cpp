#include "opener/XdgShell.h"

#include "opener/HandOverRule.h"

#include <QByteArray>
#include <algorithm>
#include <csignal>
#include <optional>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace {

// Starts `xdg-open ADDRESS` in the folder "/", in a session of its own (so that the browser it
// may become does not end with this program's terminal), with the default signal handling a
// freshly started program expects. posix_spawn does not copy the program's memory, so the cost
// does not grow with the size of the list (a fork of a program holding a million entries takes
// tens of milliseconds, during which the window is frozen). Its standard error goes to
// errorOutput unless that is -1. Returns 0, or the error number of the failed start.
int spawnXdgOpen(QByteArray argument, int errorOutput, pid_t& child) {
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

    char program[] = "xdg-open";
    char* const arguments[] = {program, argument.data(), nullptr};
    const int result = posix_spawnp(&child, program, &actions, &attributes, arguments, environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return result;
}

// Why a launcher that has ended failed, or nothing when it succeeded. Its error output says it
// best ("xdg-open: no method available for opening ..."); without any, its end.
std::optional<QString> failureOf(int waitStatus, LauncherErrorOutput& errorOutput) {
    if (WIFEXITED(waitStatus) && WEXITSTATUS(waitStatus) == 0)
        return std::nullopt;
    if (QString line = errorOutput.firstAndLastLines(); !line.isEmpty())
        return line;
    if (WIFEXITED(waitStatus))
        return QStringLiteral("xdg-open ended with exit status %1").arg(WEXITSTATUS(waitStatus));
    return QStringLiteral("xdg-open was ended by signal %1").arg(WTERMSIG(waitStatus));
}

// Whether the browser may run as a native Wayland client, whose windows no X display shows, or
// no X display can be watched at all. Only then does the run go by the browser's channel for
// further addresses: on X11 its first window stays the signal, measured the longer.
bool windowMayBeUnseen() {
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           qEnvironmentVariableIsEmpty("DISPLAY");
}

} // namespace

XdgShell::XdgShell(std::chrono::milliseconds settleTime)
    : settleTime_(settleTime), browserChannel_(channelMargin, settleTime) {
    settleTimer_.setSingleShot(true);
    QObject::connect(&settleTimer_, &QTimer::timeout, &settleTimer_, [this] { settled_ = true; });
}

Shell::HandOff XdgShell::open(const QString& address) {
    if (const auto refused = refusedHandOff(address))
        return *refused;
    std::erase_if(launchers_, [](const auto& launcher) { return launcher->hasExited(); });
    std::erase_if(errorOutputs_, [](const auto& output) { return output->ended(); });
    lastLauncher_ = nullptr;
    pid_t child = 0;
    auto errorOutput = std::make_shared<LauncherErrorOutput>();
    if (const int error = spawnXdgOpen(address.toUtf8(), errorOutput->writeEnd(), child)) {
        countFailure(
            QStringLiteral("xdg-open could not be started: %1").arg(qt_error_string(error)));
        return HandOff::started; // nothing to wait for
    }
    errorOutput->launcherStarted();
    launchers_.push_back(std::make_unique<ChildExitWatch>(
        child, [this, errorOutput, round = failuresTaken_](int waitStatus) {
            // A launcher that outlived the last count had become the browser: never counted.
            if (round == failuresTaken_)
                if (const auto failure = failureOf(waitStatus, *errorOutput))
                    countFailure(*failure);
        }));
    errorOutputs_.push_back(std::move(errorOutput));
    lastLauncher_ = launchers_.back().get();
    browserWindow_.watch(child);
    if (windowMayBeUnseen())
        browserChannel_.watch(child);
    else
        browserChannel_.forget();
    settled_ = false;
    settleTimer_.start(settleTime_);
    return HandOff::started;
}

bool XdgShell::handOffFinished() const {
    return lastLauncher_ == nullptr || lastLauncher_->hasExited() || settled_ ||
           browserWindow_.windowShown() || browserChannel_.channelOpen();
}

Shell::FailedHandOffs XdgShell::takeFailedHandOffs() {
    ++failuresTaken_;
    return std::exchange(failed_, {});
}

void XdgShell::countFailure(const QString& why) {
    if (failed_.count++ == 0)
        failed_.firstError = why;
}

int XdgShell::launchersRunning() const {
    return static_cast<int>(
        std::count_if(launchers_.begin(), launchers_.end(),
                      [](const auto& launcher) { return !launcher->hasExited(); }));
}
