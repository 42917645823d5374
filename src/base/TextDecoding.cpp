#include "base/TextDecoding.h"

#include "base/ByteScan.h"

#include <QStringDecoder>

namespace {

// The length of the well-formed sequence that starts at `at`, or 0 when it is not one.
qsizetype utf8SequenceLength(const unsigned char* s, qsizetype left) {
    const unsigned char lead = s[0];
    if (lead < 0x80)
        return 1;
    auto continuation = [&](qsizetype i, unsigned char low = 0x80, unsigned char high = 0xBF) {
        return i < left && s[i] >= low && s[i] <= high;
    };
    if (lead >= 0xC2 && lead <= 0xDF)
        return continuation(1) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        const unsigned char low = lead == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
        const unsigned char high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
        return continuation(1, low, high) && continuation(2) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const unsigned char low = lead == 0xF0 ? 0x90 : 0x80;  // no overlong forms
        const unsigned char high = lead == 0xF4 ? 0x8F : 0xBF; // nothing past U+10FFFF
        return continuation(1, low, high) && continuation(2) && continuation(3) ? 4 : 0;
    }
    return 0;
}

} // namespace

bool isAscii(QByteArrayView bytes) {
    return ByteScan::asciiPrefixLength(bytes) == bytes.size();
}

bool isValidUtf8(QByteArrayView bytes) {
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    qsizetype at = 0;
    while (at < bytes.size()) {
        at += ByteScan::asciiPrefixLength(bytes.sliced(at));
        if (at == bytes.size())
            break;
        const qsizetype length = utf8SequenceLength(s + at, bytes.size() - at);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

QString fromUtf8KeepingByteOrderMark(QByteArrayView utf8) {
    if (!utf8.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(utf8);
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(utf8);
}

QString decodeUtf8OrLatin1(QByteArrayView bytes) {
    return isValidUtf8(bytes) ? fromUtf8KeepingByteOrderMark(bytes) : QString::fromLatin1(bytes);
}

QByteArray latin1ToUtf8(QByteArrayView bytes) {
    QByteArray utf8(bytes.size() * 2, Qt::Uninitialized);
    char* out = utf8.data();
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            *out++ = c;
        } else {
            *out++ = static_cast<char>(0xC0 | (byte >> 6));
            *out++ = static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    utf8.truncate(out - utf8.constData());
    return utf8;
}

QByteArrayView asValidUtf8(QByteArrayView bytes, QByteArray& scratch) {
    if (isValidUtf8(bytes))
        return bytes;
    scratch = latin1ToUtf8(bytes);
    return scratch;
}

QByteArray toValidUtf8PerPiece(QByteArray bytes, char separator) {
    if (isValidUtf8(bytes))
        return bytes;
    const QByteArrayView all(bytes);
    QByteArray valid;
    valid.reserve(all.size());
    QByteArray scratch;
    for (qsizetype start = 0;;) {
        qsizetype end = all.indexOf(separator, start);
        if (end < 0)
            end = all.size();
        valid += asValidUtf8(all.sliced(start, end - start), scratch);
        if (end == all.size())
            return valid;
        valid += separator;
        start = end + 1;
    }
}

qsizetype utf16Length(QByteArrayView utf8) {
    if (isAscii(utf8))
        return utf8.size();
    qsizetype units = 0;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        units += (byte & 0xC0) != 0x80 ? 1 : 0; // each character starts once
        units += byte >= 0xF0 ? 1 : 0;          // and past U+FFFF takes a surrogate pair
    }
    return units;
}
