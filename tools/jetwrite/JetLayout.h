#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// Sizes and offsets of the Jet 4 format, and little-endian helpers to place numbers in pages.
namespace jet {

inline constexpr std::size_t pageSize = 4096;

// Page types, the first byte of every page.
inline constexpr std::uint8_t databaseDefinitionPageType = 0x00;
inline constexpr std::uint8_t dataPageType = 0x01;
inline constexpr std::uint8_t tableDefinitionPageType = 0x02;
inline constexpr std::uint8_t usageBitmapPageType = 0x05;

// Data pages: a 14-byte header, then one 2-byte offset per row; rows grow down from the end.
inline constexpr std::size_t dataPageHeaderSize = 14;
inline constexpr std::size_t dataPageRowCountOffset = 12;
// A row is addressed as (page << 8 | row), so a page holds at most 255 rows.
inline constexpr std::size_t maxRowsPerPage = 255;

// Column types as stored in a table definition.
inline constexpr std::uint8_t typeLongInteger = 0x04;
inline constexpr std::uint8_t typeInteger = 0x03;
inline constexpr std::uint8_t typeText = 0x0A;
inline constexpr std::uint8_t typeOle = 0x0B;
inline constexpr std::uint8_t typeMemo = 0x0C;

using Page = std::vector<std::uint8_t>;

inline Page blankPage() {
    return Page(pageSize, 0);
}

inline void put16(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t value) {
    bytes[offset] = static_cast<std::uint8_t>(value);
    bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

inline void put32(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

inline void append16(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
    bytes.push_back(static_cast<std::uint8_t>(value));
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

inline void append32(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i)
        bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// A row's address: the page in the upper three bytes, the row number in the lowest.
inline std::uint32_t rowPointer(std::uint32_t page, std::uint32_t row) {
    return page << 8 | row;
}

} // namespace jet
