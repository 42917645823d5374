#pragma once

#include "list/WebsiteList.h"

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <unistd.h>

// Children of this process that have ended and were never reaped.
inline int zombieChildren() {
    int zombies = 0;
    QDirIterator processes(QStringLiteral("/proc"), QDir::Dirs | QDir::NoDotAndDotDot);
    while (processes.hasNext()) {
        QFile stat(processes.next() + QStringLiteral("/stat"));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid ...": the name may hold blanks, so read from its last ')'.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        zombies += fields.size() > 1 && fields[0] == "Z" && fields[1].toLongLong() == getpid();
    }
    return zombies;
}

// The descriptors this test program holds open.
inline int openDescriptors() {
    return static_cast<int>(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files).size());
}

// Writes a fixture file, creating its folder; a test cannot go on without it.
inline void writeFixture(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write the fixture %s", qPrintable(path));
}

// Appends the texts as entries, telling the views once.
inline void appendAll(WebsiteList& list, const QStringList& texts) {
    WebsiteList::BulkAppend append(list);
    for (const QString& text : texts)
        append.add(text);
}

// A stored list of that many entries, "https://example.org/page/0" and on.
inline QByteArray storedListOf(int entries) {
    QByteArray stored;
    for (int i = 0; i < entries; ++i)
        stored += "https://example.org/page/" + QByteArray::number(i) + ';';
    stored.chop(1);
    return stored;
}

// The entry texts of a list, in order.
inline QStringList entriesOf(const WebsiteList& list) {
    QStringList texts;
    for (int row = 0; row < list.count(); ++row)
        texts.append(list.text(row));
    return texts;
}
