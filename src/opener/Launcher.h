#pragma once

#include "opener/ChildExitWatch.h"
#include "opener/LauncherErrorOutput.h"
#include "opener/SessionEndWatch.h"

#include <QByteArray>
#include <QList>
#include <functional>
#include <memory>
#include <sys/types.h>

// One launching command (xdg-open with one address, or a browser's own command line), started in
// a session of its own and reaped when it exits. While the run waits for it, its exit and the end
// of its session are watched and its error output is kept; letGo() keeps only what it said, so
// that a launcher that lives on (it has become the browser) holds no descriptor of this program.
class Launcher {
public:
    // Starts `xdg-open ADDRESS`. onExit hears it reaped with its wait status; onSessionEnded,
    // that no process of its session is left.
    Launcher(const QByteArray& address, std::function<void(Launcher&, int waitStatus)> onExit,
             std::function<void()> onSessionEnded);
    // Starts `command` (a program, looked up in PATH, and its arguments) in the same way.
    Launcher(const QList<QByteArray>& command,
             std::function<void(Launcher&, int waitStatus)> onExit,
             std::function<void()> onSessionEnded);
    Launcher(const Launcher&) = delete;
    Launcher& operator=(const Launcher&) = delete;

    // 0 when it was started, or the error number of the failed start.
    int startError() const { return startError_; }
    // Its process id, which is also the id of its session.
    pid_t session() const { return pid_; }
    bool hasExited() const { return !exitWatch_ || exitWatch_->hasExited(); }
    // It has exited, and so has everything it started in its session: a running browser has
    // taken the address, or the launcher has failed.
    bool sessionEnded() const { return hasExited() && (!sessionWatch_ || sessionWatch_->ended()); }
    LauncherErrorOutput& errorOutput() { return errorOutput_; }

    // The wait for it has ended: closes every descriptor held for it, and goes on reaping it.
    void letGo();

private:
    LauncherErrorOutput errorOutput_;
    pid_t pid_ = 0;
    int startError_ = 0;
    std::unique_ptr<ChildExitWatch> exitWatch_;
    std::unique_ptr<SessionEndWatch> sessionWatch_;
};
