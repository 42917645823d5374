#include "list/AddPrefixIfMissing.h"

#include <QStringView>

namespace {

const QString httpPrefix = QStringLiteral("http://");

bool isAsciiLetter(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isSchemeCharacter(QChar c) {
    return isAsciiLetter(c) || (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
}

// "https://", "HTTP://", "ftp://", "svn+ssh://": a letter, then letters, digits, "+", "-" or
// ".", then "://". Such an address already says how to open it; a second scheme in front of
// it would make an address that opens nothing.
bool beginsWithScheme(QStringView text) {
    if (text.isEmpty() || !isAsciiLetter(text.front()))
        return false;
    qsizetype end = 1;
    while (end < text.size() && isSchemeCharacter(text[end]))
        ++end;
    return text.sliced(end).startsWith(u"://");
}

} // namespace

QString Main::AddPrefixIfMissing(const QString& text) {
    if (beginsWithScheme(text) || text.contains(httpPrefix, Qt::CaseSensitive))
        return text;
    return httpPrefix + text;
}
