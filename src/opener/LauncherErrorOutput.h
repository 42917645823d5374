#pragma once

#include "base/FileDescriptor.h"

#include <QByteArray>
#include <QString>

// The error output of one launcher, in a temporary file that has no name: its first and last
// lines are kept, to tell why the launcher failed (xdg-open names each way it tried, then sums
// up). A file, not a pipe: what the launcher starts inherits it as its standard error and may
// write to it long after this program has ended, which a pipe would answer with SIGPIPE.
class LauncherErrorOutput {
public:
    // Makes the file; without one (no descriptors left, no temporary folder), the launcher's
    // error output stays this program's own.
    LauncherErrorOutput();
    LauncherErrorOutput(const LauncherErrorOutput&) = delete;
    LauncherErrorOutput& operator=(const LauncherErrorOutput&) = delete;

    // The descriptor the launcher gets as its standard error; -1 without a file.
    int launcherEnd() const { return file_.get(); }

    // The first line written so far and, when more followed, the last one (with "\u2026" between
    // them when lines were left out); each at most a kilobyte. Reads what has come first.
    QString firstAndLastLines();
    // Reads what has come and closes this program's descriptor: later lines are not told. The
    // file is gone once the launcher and what it started have closed theirs too.
    void letGo();

private:
    void readWhatHasCome();
    void take(QByteArrayView bytes);
    void endLine();

    FileDescriptor file_;
    off_t readUpTo_ = 0;  // this program's own position: the file offset is the launcher's
    QByteArray partLine_; // the line being written
    QByteArray firstLine_;
    QByteArray lastLine_;
    int linesAfterFirst_ = 0;
};
