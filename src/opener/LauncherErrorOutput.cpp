#include "opener/LauncherErrorOutput.h"

#include "base/TextDecoding.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace {

// A line of an error message; more is not kept, whatever a broken launcher writes.
constexpr qsizetype longestLineBytes = 1024;
constexpr size_t readSize = 4096;

// An unnamed file for writing and reading, in the temporary folder; where the file system has
// no unnamed files, a named one removed at once.
FileDescriptor unnamedTemporaryFile() {
    const QByteArray folder = QFile::encodeName(QDir::tempPath());
    FileDescriptor file(::open(folder.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
    if (file.isOpen())
        return file;
    QByteArray pattern = folder + "/corvantis-launcher-XXXXXX";
    file = FileDescriptor(::mkostemp(pattern.data(), O_CLOEXEC));
    if (file.isOpen())
        ::unlink(pattern.constData());
    return file;
}

} // namespace

LauncherErrorOutput::LauncherErrorOutput() : file_(unnamedTemporaryFile()) {
    // Every writer appends, whatever its offset: a launcher's children share its own.
    if (file_.isOpen())
        ::fcntl(file_.get(), F_SETFL, ::fcntl(file_.get(), F_GETFL) | O_APPEND);
}

QString LauncherErrorOutput::firstAndLastLines() {
    readWhatHasCome();
    endLine(); // a last line without its line end counts as written
    QString said = decodeUtf8OrLatin1(firstLine_);
    if (linesAfterFirst_ > 1)
        said += QStringLiteral("\n\u2026");
    if (linesAfterFirst_ > 0)
        said += u'\n' + decodeUtf8OrLatin1(lastLine_);
    return said;
}

void LauncherErrorOutput::letGo() {
    readWhatHasCome();
    file_.close();
}

void LauncherErrorOutput::readWhatHasCome() {
    std::array<char, readSize> buffer{};
    while (file_.isOpen()) {
        // At this program's own position: reading must not move the one the launcher writes at.
        const ssize_t got = ::pread(file_.get(), buffer.data(), buffer.size(), readUpTo_);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return;
        readUpTo_ += got;
        take(QByteArrayView(buffer.data(), got));
    }
}

void LauncherErrorOutput::take(QByteArrayView bytes) {
    while (!bytes.isEmpty()) {
        const qsizetype lineEnd = bytes.indexOf('\n');
        const QByteArrayView part = lineEnd < 0 ? bytes : bytes.first(lineEnd);
        partLine_ += part.first(std::min(part.size(), longestLineBytes - partLine_.size()));
        if (lineEnd < 0)
            return;
        endLine();
        bytes = bytes.sliced(lineEnd + 1);
    }
}

void LauncherErrorOutput::endLine() {
    QByteArray line = std::exchange(partLine_, {});
    if (line.endsWith('\r'))
        line.chop(1);
    if (line.trimmed().isEmpty())
        return; // says nothing
    if (firstLine_.isEmpty()) {
        firstLine_ = std::move(line);
        return;
    }
    lastLine_ = std::move(line);
    ++linesAfterFirst_;
}
