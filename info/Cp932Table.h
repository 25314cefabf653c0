// Code page 932's two-byte characters, as a table written at build time by
// make_cp932_table.py.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// Lead bytes 0x81-0x9F and 0xE0-0xFC; trail bytes 0x40-0x7E and 0x80-0xFC.
inline constexpr std::size_t Cp932LeadCount = 60;
inline constexpr std::size_t Cp932TrailCount = 188;

using Cp932Rows = std::array<std::array<std::uint16_t, Cp932TrailCount>, Cp932LeadCount>;

// The code point of each lead and trail byte, in byte order; 0 where the
// code page assigns no character.
extern const Cp932Rows Cp932Characters;
