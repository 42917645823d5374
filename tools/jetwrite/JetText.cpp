#include "JetText.h"

#include <algorithm>

namespace jet {

namespace {

constexpr std::uint16_t replacementCharacter = 0xFFFD;

// Length of the UTF-8 sequence a lead byte starts, or 0 for a byte that cannot lead one.
std::size_t sequenceLength(unsigned char lead) {
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

} // namespace

std::vector<std::uint16_t> utf16FromUtf8(std::string_view text) {
    std::vector<std::uint16_t> units;
    units.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = sequenceLength(lead);
        bool valid = length != 0 && i + length <= text.size();
        std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = code << 6 | (next & 0x3F);
        }
        const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
        if (!valid || overlong || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            units.push_back(replacementCharacter);
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            units.push_back(static_cast<std::uint16_t>(0xD800 | (code >> 10)));
            units.push_back(static_cast<std::uint16_t>(0xDC00 | (code & 0x3FF)));
        } else {
            units.push_back(static_cast<std::uint16_t>(code));
        }
        i += length;
    }
    return units;
}

std::vector<std::uint8_t> encodeJetText(const std::vector<std::uint16_t>& units) {
    std::vector<std::uint8_t> bytes;
    // A zero byte switches modes in the compressed form, so only 1..255 can be written there.
    const bool compressible =
        units.size() > 2 &&
        std::all_of(units.begin(), units.end(), [](auto u) { return u >= 0x01 && u <= 0xFF; });
    if (compressible) {
        bytes.reserve(units.size() + 2);
        bytes.push_back(0xFF);
        bytes.push_back(0xFE);
        for (std::uint16_t unit : units)
            bytes.push_back(static_cast<std::uint8_t>(unit));
        return bytes;
    }
    bytes.reserve(units.size() * 2);
    for (std::uint16_t unit : units) {
        bytes.push_back(static_cast<std::uint8_t>(unit));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return bytes;
}

std::vector<std::uint8_t> encodeUcs2(std::string_view utf8) {
    std::vector<std::uint8_t> bytes;
    for (std::uint16_t unit : utf16FromUtf8(utf8)) {
        bytes.push_back(static_cast<std::uint8_t>(unit));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return bytes;
}

} // namespace jet
