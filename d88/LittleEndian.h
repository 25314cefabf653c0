// Little-endian field decoding for the D88 format.
//
// Every multi-byte field of a D88 file is little-endian. The values are
// assembled byte by byte so the result does not depend on the host's byte
// order or alignment.
#pragma once

#include <cstdint>

inline std::uint16_t DecodeLe16(const unsigned char* bytes)
{
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

inline std::uint32_t DecodeLe32(const unsigned char* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
           (static_cast<std::uint32_t>(bytes[2]) << 16) |
           (static_cast<std::uint32_t>(bytes[3]) << 24);
}
