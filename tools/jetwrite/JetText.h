#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace jet {

// UTF-8 text as UTF-16 code units; invalid bytes become U+FFFD.
std::vector<std::uint16_t> utf16FromUtf8(std::string_view text);

// Text as a Jet 4 row stores it: UCS-2 little-endian, or the compressed form (the marker
// FF FE, then one byte per character) when every character fits one byte and that is shorter.
std::vector<std::uint8_t> encodeJetText(const std::vector<std::uint16_t>& units);

// Plain UCS-2 little-endian, as names in a table definition are stored.
std::vector<std::uint8_t> encodeUcs2(std::string_view utf8);

} // namespace jet
