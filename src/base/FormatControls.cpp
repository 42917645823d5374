#include "base/FormatControls.h"

#include <algorithm>

namespace {

bool isHiddenControl(char16_t character) {
    return character == u'\u061C' || character == u'\u200B' || character == u'\u200E' ||
           character == u'\u200F' || (character >= u'\u202A' && character <= u'\u202E') ||
           (character >= u'\u2066' && character <= u'\u2069');
}

} // namespace

QString withFormatControlsVisible(const QString& text) {
    if (std::none_of(text.cbegin(), text.cend(),
                     [](QChar character) { return isHiddenControl(character.unicode()); }))
        return text;
    QString shown;
    shown.reserve(text.size() + 16);
    for (const QChar character : text) {
        if (isHiddenControl(character.unicode()))
            shown += QStringLiteral("<U+%1>")
                         .arg(character.unicode(), 4, 16, QLatin1Char('0'))
                         .toUpper();
        else
            shown += character;
    }
    return shown;
}
