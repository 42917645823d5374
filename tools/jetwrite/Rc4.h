#pragma once

#include <cstdint>
#include <span>

namespace jet {

// XORs bytes with the RC4 keystream of key: the database definition page is stored masked
// this way, and applying the same mask again restores it.
void applyRc4(std::span<const std::uint8_t> key, std::span<std::uint8_t> bytes);

} // namespace jet
