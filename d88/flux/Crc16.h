// The CRC of an IBM-style track's ID and data fields: CRC-16-CCITT,
// polynomial 0x1021, preset 0xFFFF, most significant bit first, no final
// inversion, stored high byte first. A field followed by its stored CRC
// leaves 0.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr std::uint16_t Crc16Preset = 0xFFFF;

std::uint16_t UpdateCrc16(std::uint16_t crc, const unsigned char* bytes, std::size_t count);
