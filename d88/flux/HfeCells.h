// HFE's bit cells: each byte of a side holds eight, the least significant
// bit the earliest, a 1 for a transition. Version 3 mixes opcodes into the
// cells: a byte whose low nibble is all 1s (four transitions in a row, which
// no MFM or FM track holds) is one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// One side's bytes of a track read whole: in every 512-byte block, 256
// bytes of side 0 then 256 of side 1.
struct HfeSideBytes {
    static constexpr std::size_t BlockSize = 512;
    static constexpr std::size_t SideSpan = 256;

    const std::vector<unsigned char>& blocks;
    std::size_t side;
    std::size_t size;

    unsigned char operator[](std::size_t offset) const
    {
        return blocks[(offset / SideSpan) * BlockSize + side * SideSpan + offset % SideSpan];
    }
};

// The side's cells as one revolution of intervals from the index round back
// to it, in ticks of the header's cell of `cellNs` nanoseconds. False when a
// v3 opcode is cut short or malformed, or an interval does not fit in 32
// bits.
bool DecodeHfeSide(const HfeSideBytes& bytes, bool version3, double cellNs,
                   std::vector<std::uint32_t>& flux);
