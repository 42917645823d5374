#include "app/TerminationSignals.h"

#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Every signal that ends the program and can be caught: the log-out's, the terminal's (Ctrl+C,
// Ctrl+\, a closed terminal) and kill's default.
constexpr std::array terminationSignals{SIGTERM, SIGHUP, SIGINT, SIGQUIT};

// Written by the signal handler, read on the event loop. One pair for the process.
int pipeEnds[2] = {-1, -1};

void onTerminationSignal(int) {
    const int savedErrno = errno; // the interrupted code may be about to read it
    const char byte = 1;
    // Nothing useful can be done in a signal handler when the pipe is full: a close is
    // already pending then.
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    if (pipeEnds[0] < 0 && ::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    notifier_ = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::drainPipe);
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : terminationSignals)
        ::sigaction(signal, &action, nullptr);
}

TerminationSignals::~TerminationSignals() {
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int signal : terminationSignals)
        ::sigaction(signal, &action, nullptr);
}

void TerminationSignals::drainPipe() {
    std::array<char, 64> bytes{};
    while (::read(pipeEnds[0], bytes.data(), bytes.size()) > 0) {
    }
    emit closeRequested();
}
