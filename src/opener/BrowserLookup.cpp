#include "opener/BrowserLookup.h"

#include <QCoreApplication>
#include <QThreadPool>
#include <utility>

// Where the thread's answer goes: to the look-up that asked, unless that one has given up on
// it (reset, time limit, or destroyed) by then.
struct BrowserLookup::Answer {
    BrowserLookup* lookup; // only read and cleared on the event loop's thread
};

BrowserLookup::BrowserLookup(Finder find, std::chrono::milliseconds timeLimit)
    : find_(std::move(find)) {
    timeLimit_.setSingleShot(true);
    timeLimit_.setInterval(timeLimit);
    QObject::connect(&timeLimit_, &QTimer::timeout, &timeLimit_, [this] { finish(std::nullopt); });
}

BrowserLookup::~BrowserLookup() {
    reset();
}

void BrowserLookup::start(std::function<void()> onFinished) {
    if (state_ != State::idle)
        return;
    state_ = State::lookingUp;
    onFinished_ = std::move(onFinished);
    pending_ = std::make_shared<Answer>(Answer{this});
    timeLimit_.start();
    QThreadPool::globalInstance()->start([answer = pending_, find = find_] {
        std::optional<BrowserCommand> command = find();
        // Back on the event loop's thread, where the look-up lives.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [answer, command = std::move(command)]() mutable {
                if (answer->lookup != nullptr)
                    answer->lookup->finish(std::move(command));
            },
            Qt::QueuedConnection);
    });
}

void BrowserLookup::reset() {
    timeLimit_.stop();
    if (pending_)
        std::exchange(pending_, nullptr)->lookup = nullptr;
    onFinished_ = {};
    command_.reset();
    state_ = State::idle;
}

void BrowserLookup::finish(std::optional<BrowserCommand> command) {
    if (state_ != State::lookingUp)
        return;
    timeLimit_.stop();
    std::exchange(pending_, nullptr)->lookup = nullptr;
    command_ = std::move(command);
    state_ = command_ ? State::found : State::notFound;
    if (onFinished_)
        std::exchange(onFinished_, {})();
}
