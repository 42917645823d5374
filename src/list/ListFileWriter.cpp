#include "list/ListFileWriter.h"

namespace {

constexpr qsizetype blockSize = qsizetype{1} << 18;

} // namespace

ListFileWriter::ListFileWriter(const QString& path)
    : file_(path, AtomicFileWriter::Fallback::WriteInPlace) {}

void ListFileWriter::open() {
    file_.open();
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
    file_.commit();
}

void ListFileWriter::writeBlock() {
    file_.write(block_);
    block_.truncate(0);
}
