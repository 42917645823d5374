#pragma once

#include <QByteArrayView>
#include <QString>
#include <functional>

class QIODevice;

// Reads a list text file from an open device in chunks, so that memory never holds the file,
// and hands each entry (the rules are in ListFileSplitter.h) to the sink as text: UTF-8, or,
// for an entry that is not valid UTF-8, each byte as its Latin-1 character. A file that starts
// with a UTF-16 byte-order mark (little or big endian) is UTF-16, and is split as its UTF-8.
// Throws Failure naming `name` when the device cannot be read; the entries before the failure
// have been handed over by then.
void readListFile(QIODevice& device, const QString& name,
                  const std::function<void(QByteArrayView)>& onEntry);

class WebsiteList;

// Appends one entry per line read from the device (named `name` in a failure). The entries
// read before a failure stay in the list; the failure is thrown on.
void appendListFile(WebsiteList& list, QIODevice& device, const QString& name);
