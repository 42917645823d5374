#pragma once

#include "opener/DefaultBrowserCommand.h"

#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

// One look-up of the command xdg-open runs for web addresses, on a thread of the pool: what it
// reads and asks (desktop entries, the session bus, the X server) may take long, and the window
// never waits for it. It ends once, from the event loop, with the command or with nothing; one
// that has not answered within its time limit ends with nothing, and its late answer is dropped.
class BrowserLookup {
public:
    enum class State {
        idle,      // not asked in this run
        lookingUp, // asked; the run goes on through xdg-open meanwhile
        found,     // command() is the browser's
        notFound   // not certain, or no answer in time: the run stays with xdg-open
    };
    using Finder = std::function<std::optional<BrowserCommand>()>;
    static constexpr std::chrono::milliseconds defaultTimeLimit{10000};

    // find runs on another thread: it must not touch what the event loop's thread uses.
    explicit BrowserLookup(Finder find = defaultBrowserCommand,
                           std::chrono::milliseconds timeLimit = defaultTimeLimit);
    ~BrowserLookup();
    BrowserLookup(const BrowserLookup&) = delete;
    BrowserLookup& operator=(const BrowserLookup&) = delete;

    // From idle only: starts the look-up; onFinished is called once it is found or notFound.
    void start(std::function<void()> onFinished);
    State state() const { return state_; }
    // The browser's command once found.
    const std::optional<BrowserCommand>& command() const { return command_; }
    // Back to idle, for the next run; an answer still to come is dropped.
    void reset();

private:
    struct Answer; // shared with the thread that looks up
    void finish(std::optional<BrowserCommand> command);

    Finder find_;
    State state_ = State::idle;
    std::optional<BrowserCommand> command_;
    std::shared_ptr<Answer> pending_; // the look-up under way
    std::function<void()> onFinished_;
    QTimer timeLimit_;
};
