#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Text as the files and the settings hold it: UTF-8, and where the bytes are not valid UTF-8,
// each byte taken as its Latin-1 character, so that no byte is lost. A byte-order mark is
// kept as a character; callers that want it dropped say so.
QString decodeUtf8OrLatin1(QByteArrayView bytes);

// Valid UTF-8 as text, a byte-order mark at the start kept as a character (QString::fromUtf8
// would drop it).
QString fromUtf8KeepingByteOrderMark(QByteArrayView utf8);

// The same text kept as UTF-8: the bytes themselves when they are valid UTF-8 (no copy), else
// their Latin-1 reading encoded as UTF-8 into `scratch`. The view is valid until `scratch`
// changes or the bytes go away.
QByteArrayView asValidUtf8(QByteArrayView bytes, QByteArray& scratch);

// The bytes as valid UTF-8, decided piece by piece between separators: a piece that is valid
// UTF-8 stays as it is, one that is not is read byte for byte as Latin-1, so one stray byte
// does not change the pieces beside it. Valid bytes come back as they are (no copy).
QByteArray toValidUtf8PerPiece(QByteArray bytes, char separator);

// Each byte read as its Latin-1 character, encoded as UTF-8.
QByteArray latin1ToUtf8(QByteArrayView bytes);

// True when no byte has its high bit set. Word at a time: the check of large files.
bool isAscii(QByteArrayView bytes);

// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates, nothing past
// U+10FFFF), the same rule Qt's decoder applies.
bool isValidUtf8(QByteArrayView bytes);

// How many UTF-16 units valid UTF-8 text takes as a QString, without decoding it.
qsizetype utf16Length(QByteArrayView utf8);
