#pragma once

#include "base/FileDescriptor.h"

#include <QByteArray>
#include <QSocketNotifier>
#include <QString>
#include <memory>

// The error output of one launcher, through a pipe: its first and last lines are kept, to tell
// why the launcher failed (xdg-open names each way it tried, then sums up). The pipe is read as
// output comes, to its end, and the rest thrown away, so that a launcher that becomes the browser
// (which inherits the pipe) never blocks on a full one.
class LauncherErrorOutput {
public:
    // Makes the pipe; without one (no descriptors left), the launcher's error output stays ours.
    LauncherErrorOutput();
    LauncherErrorOutput(const LauncherErrorOutput&) = delete;
    LauncherErrorOutput& operator=(const LauncherErrorOutput&) = delete;

    // The end the launcher writes to, as its standard error; -1 without a pipe.
    int writeEnd() const { return writeEnd_.get(); }
    // Closes this program's copy of the write end once the launcher holds its own, so that the
    // pipe ends when the launcher and what it started have ended.
    void launcherStarted();

    // The first line written so far and, when more followed, the last one (with "\u2026" between
    // them when lines were left out); each at most a kilobyte. Reads what has come first.
    QString firstAndLastLines();
    // True when every writer has closed the pipe (or there is none): nothing more will come.
    bool ended() const { return !readEnd_.isOpen(); }

private:
    void readWhatHasCome();
    void take(QByteArrayView bytes);
    void endLine();

    FileDescriptor readEnd_;
    FileDescriptor writeEnd_;
    QByteArray partLine_; // the line being written
    QByteArray firstLine_;
    QByteArray lastLine_;
    int linesAfterFirst_ = 0;
    std::unique_ptr<QSocketNotifier> notifier_; // declared after the pipe, so removed before it
};
