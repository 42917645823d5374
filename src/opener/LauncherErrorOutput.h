#pragma once

#include "base/FileDescriptor.h"

#include <QByteArray>
#include <QSocketNotifier>
#include <QString>

// The error output of one launcher: a pipe this program reads while the run waits for the
// launch, keeping the first and last lines to tell why it failed (xdg-open names each way it
// tried, then sums up), and passing every byte on to this program's own error output (the
// terminal, or the session's log), where the user looks for a program's messages. What it holds
// is bounded however much is written: a kilobyte per kept line, the pipe's own buffer.
//
// What the launcher starts (the browser) inherits the pipe and may write to it for days, also
// after this program has ended, which a pipe without a reader would answer with SIGPIPE. So once
// the wait has ended, a writer still holding the pipe gets a relay: a shell in a session of its
// own that copies the rest to the same error output (or, should that fail, drains it) until the
// last writer has closed it. This program then holds nothing of it.
class LauncherErrorOutput {
public:
    // Makes the pipe; without one (no descriptors left), the launcher's error output stays this
    // program's own.
    LauncherErrorOutput();
    LauncherErrorOutput(const LauncherErrorOutput&) = delete;
    LauncherErrorOutput& operator=(const LauncherErrorOutput&) = delete;

    // The descriptor the launcher gets as its standard error; -1 without a pipe.
    int launcherEnd() const { return writeEnd_.get(); }
    // The launcher has been started with launcherEnd(), or could not be: closes this program's
    // copy, so that the pipe ends with its last writer.
    void launcherStarted();

    // The first line written so far and, when more followed, the last one (with "\u2026" between
    // them when lines were left out); each at most a kilobyte. Reads what has come first.
    QString firstAndLastLines();
    // Reads what has come and lets go of the pipe: later lines are not told, and go to the relay.
    void letGo();

private:
    // False once every writer has closed the pipe.
    bool readWhatHasCome();
    void take(QByteArrayView bytes);
    void endLine();
    void startRelay();

    FileDescriptor readEnd_;
    FileDescriptor writeEnd_;
    QSocketNotifier arrivals_{QSocketNotifier::Read};
    QByteArray partLine_; // the line being written
    QByteArray firstLine_;
    QByteArray lastLine_;
    int linesAfterFirst_ = 0;
};
