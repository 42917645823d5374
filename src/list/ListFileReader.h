#pragma once

#include <QByteArrayView>
#include <QString>
#include <functional>

class QIODevice;

// Reads a list text file from an open device in chunks, so that memory never holds the file,
// and hands each entry (the rules are in ListFileSplitter.h) to the sink as text: UTF-8, or,
// for an entry that is not valid UTF-8, each byte as its Latin-1 character.
// Throws Failure naming `name` when the device cannot be read; the entries before the failure
// have been handed over by then.
void readListFile(QIODevice& device, const QString& name,
                  const std::function<void(QByteArrayView)>& onEntry);
