#pragma once

#include "base/FileDescriptor.h"

#include <QSocketNotifier>
#include <functional>
#include <sys/types.h>

// Tells when every process of a session has ended: the launcher that leads it and whatever it
// started there. A desktop's opener (gio, kde-open, exo-open) starts the browser and returns at
// once, but the browser stays in the launcher's session; a browser that only forwards the address
// to its running instance leaves the session when it has done so.
//
// Watches one living process of the session at a time through its pidfd and looks for another
// when it ends. A session gains processes only by a fork inside it, so when none is left, none
// can come again. Holds one descriptor while it watches, none once the session has ended or the
// watch was let go.
class SessionEndWatch {
public:
    // onEnded is called once, from the event loop, when the session has no process left; a
    // session that had none when the watch began is ended() at once, without a call. Without
    // pidfds (a kernel before 5.3, or no descriptor left), the session counts as ended.
    SessionEndWatch(pid_t session, std::function<void()> onEnded);
    SessionEndWatch(const SessionEndWatch&) = delete;
    SessionEndWatch& operator=(const SessionEndWatch&) = delete;

    bool ended() const { return ended_; }
    // Stops watching and closes the descriptor; the session is no longer told about.
    void letGo();

private:
    void watchNextProcess();

    pid_t session_;
    std::function<void()> onEnded_;
    bool ended_ = false;
    FileDescriptor watchedPidfd_; // declared before its notifier, so it is closed after it
    QSocketNotifier notifier_{QSocketNotifier::Read};
};
