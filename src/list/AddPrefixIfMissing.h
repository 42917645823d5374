#pragma once

#include <QString>

namespace Main {
// Puts "http://" in front of an address that has no scheme of its own: a text that begins with
// a scheme and "://" (any case) or holds "http://" anywhere is returned unchanged.
QString AddPrefixIfMissing(const QString& text);
} // namespace Main
