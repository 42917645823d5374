#include "ui/StyleSheetText.h"

#include "base/Failure.h"

#include <QStringDecoder>

namespace {

[[noreturn]] void notAStyleSheet(const QString& why) {
    throw Failure(QStringLiteral("The skin is not a style sheet: %1").arg(why));
}

// Walks the sheet as Qt's parser reads it: comments and quoted strings may hold any brace.
void checkBraces(QStringView text) {
    int depth = 0;
    for (qsizetype at = 0; at < text.size(); ++at) {
        const QChar c = text[at];
        if (c == u'/' && at + 1 < text.size() && text[at + 1] == u'*') {
            const qsizetype end = text.indexOf(u"*/", at + 2);
            if (end < 0)
                notAStyleSheet(QStringLiteral("a comment is not closed"));
            at = end + 1;
        } else if (c == u'"' || c == u'\'') {
            qsizetype end = at + 1;
            while (end < text.size() && text[end] != c && text[end] != u'\n')
                end += text[end] == u'\\' ? 2 : 1;
            if (end >= text.size() || text[end] != c)
                notAStyleSheet(QStringLiteral("a quoted string is not closed"));
            at = end;
        } else if (c == u'{') {
            ++depth;
        } else if (c == u'}' && --depth < 0) {
            notAStyleSheet(QStringLiteral("a closing brace has no opening brace"));
        }
    }
    if (depth != 0)
        notAStyleSheet(QStringLiteral("an opening brace is not closed"));
}

} // namespace

QString styleSheetText(const QByteArray& bytes) {
    if (bytes.contains('\0'))
        notAStyleSheet(QStringLiteral("it holds NUL bytes"));
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        notAStyleSheet(QStringLiteral("it is not UTF-8 text"));
    checkBraces(text);
    return text;
}
