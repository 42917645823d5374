#include "opener/Launch.h"

#include "opener/HandOffFailures.h"
#include "opener/LaunchFailure.h"
#include "opener/LaunchReadiness.h"
#include "opener/SessionSpawn.h"

#include <QFileInfo>
#include <sys/wait.h>
#include <utility>

Launch::Launch(QList<QByteArray> command, Watch watch, Count count,
               std::function<void(Launch&)> onFinished)
    : command_(std::move(command)), watch_(std::move(watch)), count_(count),
      run_(count.failures.currentRun()), onFinished_(std::move(onFinished)) {
    settleTimer_.setSingleShot(true);
    QObject::connect(&settleTimer_, &QTimer::timeout, &settleTimer_,
                     [this] { finish(Outcome::settleTimeRanOut); });
}

Launch::~Launch() {
    onFinished_ = {};
    finish(Outcome::settleTimeRanOut); // lets go of what it holds, the error output to a relay
}

void Launch::start() {
    pid_t launcher = 0;
    const int error = spawnInSession(command_, {-1, errorOutput_.launcherEnd()}, launcher);
    errorOutput_.launcherStarted();
    if (error != 0) {
        count_.failures.count(
            run_, count_.handOffs,
            QStringLiteral("%1 could not be started: %2")
                .arg(QString::fromLocal8Bit(command_.first()), qt_error_string(error)));
        finish(Outcome::couldNotStart);
        return;
    }
    exitWatch_ = std::make_unique<ChildExitWatch>(
        launcher, [this](int waitStatus) { launcherExited(waitStatus); });
    settleTimer_.start(watch_.settleTime);
    if (!watch_.signs.empty()) {
        state_ = State::waitingForSign;
        for (LaunchReadiness* sign : watch_.signs)
            sign->watch(launcher, command_.mid(1), [this, sign] { signSeen(*sign); });
    }
    session_ = std::make_unique<LaunchSession>(launcher, [this] { sessionLooked(); });
}

bool Launch::hasExited() const {
    return !exitWatch_ || exitWatch_->hasExited();
}

void Launch::launcherExited(int waitStatus) {
    waitStatus_ = waitStatus;
    const QString program = QFileInfo(QString::fromLocal8Bit(command_.first())).fileName();
    if (const auto failure = launchFailure(waitStatus, errorOutput_, program))
        count_.failures.count(run_, count_.handOffs, *failure);
    sessionLooked();
}

void Launch::sessionLooked() {
    if (waitStatus_ && session_->ended()) { // finish() does nothing once finished
        const bool succeeded = WIFEXITED(*waitStatus_) && WEXITSTATUS(*waitStatus_) == 0;
        finish(succeeded ? Outcome::sessionEndedWithSuccess : Outcome::sessionEndedWithFailure);
        return;
    }
    if (state_ == State::waitingForSign || state_ == State::settling)
        for (LaunchReadiness* sign : watch_.signs)
            sign->look(session_->members()); // may finish the launch
    if (state_ == State::settling && settling_.settledAfter(session_->members()))
        finish(Outcome::browserReady);
}

void Launch::signSeen(const LaunchReadiness& sign) {
    if (sign.meansReady()) {
        finish(Outcome::browserReady);
    } else if (state_ == State::waitingForSign) {
        state_ = State::settling;
        settling_.start(session_->members());
    }
}

void Launch::finish(Outcome outcome) {
    if (state_ == State::finished)
        return;
    state_ = State::finished;
    outcome_ = outcome;
    settleTimer_.stop();
    for (LaunchReadiness* sign : watch_.signs)
        sign->stopWatching();
    if (session_)
        session_->stop();
    errorOutput_.letGo();
    if (exitWatch_)
        exitWatch_->watchWithoutDescriptor();
    if (onFinished_)
        std::exchange(onFinished_, {})(*this);
}
