// Little-endian fields: every multi-byte field of a D88 file, and of most
// other image formats, is little-endian. The values are assembled byte by
// byte so the result does not depend on the host's byte order or alignment.
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

// The low 16 bits of `value`.
inline void EncodeLe16(unsigned char* bytes, std::uint32_t value)
{
    bytes[0] = static_cast<unsigned char>(value & 0xFF);
    bytes[1] = static_cast<unsigned char>((value >> 8) & 0xFF);
}

// The low 32 bits of `value`.
inline void EncodeLe32(unsigned char* bytes, std::uint64_t value)
{
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<unsigned char>((value >> (8 * i)) & 0xFF);
    }
}
