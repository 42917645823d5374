#include "base/Utf16ToUtf8.h"

#include <utility>

std::optional<QStringConverter::Encoding> Utf16ToUtf8::announcedBy(QByteArrayView start) {
    if (start.startsWith("\xFF\xFE"))
        return QStringConverter::Utf16LE;
    if (start.startsWith("\xFE\xFF"))
        return QStringConverter::Utf16BE;
    return std::nullopt;
}

Utf16ToUtf8::Utf16ToUtf8(QStringConverter::Encoding byteOrder)
    : decoder_(byteOrder, QStringConverter::Flag::ConvertInitialBom) {}

QByteArrayView Utf16ToUtf8::convert(QByteArrayView chunk) {
    if (chunk.size() % 2 != 0)
        oddByteCount_ = !oddByteCount_;
    QString text = heldBack_ + decoder_.decode(chunk);
    heldBack_.clear();
    if (!text.isEmpty() && text.back().isHighSurrogate()) {
        heldBack_ = text.back();
        text.chop(1);
    }
    return encode(text);
}

QByteArrayView Utf16ToUtf8::finish() {
    QString rest = std::exchange(heldBack_, QString());
    if (std::exchange(oddByteCount_, false))
        rest += QChar::ReplacementCharacter; // the decoder holds the odd byte for ever
    return encode(rest);
}

QByteArrayView Utf16ToUtf8::encode(QStringView text) {
    utf8_ = text.toUtf8();
    return utf8_;
}
