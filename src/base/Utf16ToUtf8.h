#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>
#include <optional>

// UTF-16 text arriving in chunks of any size, handed on as UTF-8: for files that start with a
// UTF-16 byte-order mark, which is what many editors write when asked for "Unicode". The mark
// itself comes out as the UTF-8 one (EF BB BF), so that readers drop it as they drop that.
// Whatever is not UTF-16 comes out as a replacement: an odd last byte as U+FFFD, a surrogate
// without its partner as "?" (Qt's rule). A character split between chunks comes out whole.
class Utf16ToUtf8 {
public:
    // The UTF-16 byte order that a byte-order mark at the start of the bytes announces.
    static std::optional<QStringConverter::Encoding> announcedBy(QByteArrayView start);

    explicit Utf16ToUtf8(QStringConverter::Encoding byteOrder);

    // The UTF-8 of the next chunk, valid until the next call.
    QByteArrayView convert(QByteArrayView chunk);

    // The end of the text: the UTF-8 of what was held back, if anything.
    QByteArrayView finish();

private:
    QByteArrayView encode(QStringView text);

    QStringDecoder decoder_;
    QString heldBack_; // the first half of a surrogate pair that the next chunk may complete
    bool oddByteCount_ = false;
    QByteArray utf8_;
};
