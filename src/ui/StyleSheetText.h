#pragma once

#include <QByteArray>
#include <QString>

// The text of a Qt style sheet from a file's bytes. Qt never reports a sheet it cannot parse (it
// silently drops it), so what cannot be a sheet is refused here: bytes that are not UTF-8, NUL
// bytes, and braces that do not pair up outside comments and quoted strings. Throws Failure
// naming the first such fault.
QString styleSheetText(const QByteArray& bytes);
