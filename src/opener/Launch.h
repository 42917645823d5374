#pragma once

#include "opener/ChildExitWatch.h"
#include "opener/LaunchSession.h"
#include "opener/LauncherErrorOutput.h"
#include "opener/SessionQuietWatch.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class HandOffFailures;
class LaunchReadiness;

// One launching command (xdg-open with one address, or a browser's own command line with
// several) in a session of its own, from its start to the end of the run's wait for it.
//
//   started ------------------------------------------------+--> finished
//      | (signs to watch)                                    |
//      v                                                     |   session ended, launcher succeeded
//   waitingForSign --(a sign: window, socket)--> settling ---+   session ended, launcher failed
//      |  (its session is looked at every 100 ms)  (quiet    |   browser ready
//      |                                           for 0.4 s)|   settle time ran out
//      +--------(its page asked for, also while settling)----+
//   could not be started ------------------------------------+   could not start
//
// Its session ends when every process in it has ended or left it: a running browser took the
// address and forwarded it. A window or socket says that a browser the launch started is up; it
// is ready once its session has settled after the sign, or as soon as it has asked for its
// page (a sign that means ready). The settle time bounds every wait.
//
// Finished, it holds no descriptor: its launcher, which may live on as the browser, is still
// reaped when it exits, and a failure then still counts in its run (HandOffFailures).
class Launch {
public:
    enum class State { started, waitingForSign, settling, finished };
    enum class Outcome {
        none, // not finished yet
        couldNotStart,
        sessionEndedWithSuccess, // a running program took the addresses
        sessionEndedWithFailure,
        browserReady,
        settleTimeRanOut
    };
    struct Watch {
        std::chrono::milliseconds settleTime;
        std::vector<LaunchReadiness*> signs; // none: only the session's end or the settle time
    };
    struct Count {
        HandOffFailures& failures;
        int handOffs; // the addresses it hands over
    };

    Launch(QList<QByteArray> command, Watch watch, Count count,
           std::function<void(Launch&)> onFinished);
    ~Launch();
    Launch(const Launch&) = delete;
    Launch& operator=(const Launch&) = delete;

    // Starts the command; onFinished is called once when the wait has ended, also from here
    // when it could not be started.
    void start();
    // The caller goes on without waiting: the wait ends as if the settle time had run out.
    void stopWaiting() { finish(Outcome::settleTimeRanOut); }
    State state() const { return state_; }
    Outcome outcome() const { return outcome_; }
    // Its launcher has been reaped (or never ran).
    bool hasExited() const;

private:
    void launcherExited(int waitStatus);
    void sessionLooked();
    void signSeen(const LaunchReadiness& sign);
    void finish(Outcome outcome);

    QList<QByteArray> command_;
    Watch watch_;
    Count count_;
    int run_;
    std::function<void(Launch&)> onFinished_;
    State state_ = State::started;
    Outcome outcome_ = Outcome::none;
    std::optional<int> waitStatus_; // once reaped
    LauncherErrorOutput errorOutput_;
    std::unique_ptr<ChildExitWatch> exitWatch_;
    std::unique_ptr<LaunchSession> session_;
    SessionQuietWatch settling_;
    QTimer settleTimer_;
};
