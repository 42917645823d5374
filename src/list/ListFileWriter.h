#pragma once

#include "base/AtomicFileWriter.h"

#include <QByteArray>
#include <QString>
#include <QStringEncoder>
#include <QStringView>

// Writes a list text file: UTF-8 lines, each closed by CR LF, through AtomicFileWriter. The
// new file replaces the one at the path only at commit(), after every line was written and
// synced; until then, and when anything fails, the old file stays as it was. (In a folder
// where no new file can be created but the file itself may be written, it is written in
// place: there a failure leaves it half written.) Every failure throws Failure naming the path
// and the reason.
class ListFileWriter {
public:
    explicit ListFileWriter(const QString& path);

    void open();
    void writeLine(QStringView line);
    void commit();

private:
    void writeBlock();

    AtomicFileWriter file_;
    QStringEncoder utf8_{QStringEncoder::Utf8};
    QByteArray block_; // lines are gathered and written in large blocks
};
