#include "list/ListFileWriter.h"

#include "base/Failure.h"

namespace {

constexpr qsizetype blockSize = qsizetype{1} << 18;

} // namespace

ListFileWriter::ListFileWriter(const QString& path) : path_(path), file_(path) {
    file_.setDirectWriteFallback(true);
}

void ListFileWriter::open() {
    if (!file_.open(QIODevice::WriteOnly))
        fail(QStringLiteral("Cannot create %1: %2"));
    block_.reserve(blockSize);
}

void ListFileWriter::writeLine(QStringView line) {
    const qsizetype start = block_.size();
    block_.resize(start + utf8_.requiredSpace(line.size()) + 2);
    char* end = utf8_.appendToBuffer(block_.data() + start, line);
    *end++ = '\r';
    *end++ = '\n';
    block_.truncate(end - block_.constData());
    if (block_.size() >= blockSize)
        writeBlock();
}

void ListFileWriter::commit() {
    writeBlock();
    if (!file_.commit())
        fail(QStringLiteral("Cannot write %1: %2"));
}

void ListFileWriter::writeBlock() {
    if (file_.write(block_) != block_.size())
        fail(QStringLiteral("Cannot write %1: %2"));
    block_.truncate(0);
}

void ListFileWriter::fail(const QString& what) {
    const QString reason = file_.errorString();
    file_.cancelWriting(); // the old file stays; the temporary one goes
    throw Failure(what.arg(path_, reason));
}
