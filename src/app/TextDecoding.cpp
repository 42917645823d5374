#include "app/TextDecoding.h"

#include <QStringDecoder>
#include <algorithm>

QString decodeUtf8OrLatin1(QByteArrayView bytes) {
    const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii)
        return QString::fromLatin1(bytes);
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                    QStringConverter::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return QString::fromLatin1(bytes);
    return text;
}

QStringView decodeUtf8OrLatin1Into(QString& buffer, QByteArrayView bytes) {
    // Every byte gives at most one UTF-16 unit, in either decoding.
    if (buffer.size() < bytes.size())
        buffer.resize(bytes.size());
    QChar* const out = buffer.data();
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                    QStringConverter::Flag::ConvertInitialBom);
    const QChar* end = utf8.appendToBuffer(out, bytes);
    if (utf8.hasError()) {
        QStringDecoder latin1(QStringConverter::Latin1);
        end = latin1.appendToBuffer(out, bytes);
    }
    return {out, end - out};
}
