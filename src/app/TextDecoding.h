#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Text as the files and the settings hold it: UTF-8, and where the bytes are not valid UTF-8,
// each byte taken as its Latin-1 character, so that no byte is lost. A byte-order mark is
// kept as a character; callers that want it dropped say so.
QString decodeUtf8OrLatin1(QByteArrayView bytes);

// The same decoding into a buffer that is reused from call to call, for the many short texts of
// a large file: no allocation per text. The view is valid until the next call with `buffer`.
QStringView decodeUtf8OrLatin1Into(QString& buffer, QByteArrayView bytes);
