// CRC-16 by table, most significant bit first, for the two codes disks use:
// CRC-16-CCITT of an IBM-style track's ID and data fields (polynomial
// 0x1021, preset 0xFFFF, no final inversion, stored high byte first: a field
// followed by its stored CRC leaves 0), and Teledisk's (polynomial 0xA097,
// preset 0).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

class Crc16Code {
public:
    explicit constexpr Crc16Code(std::uint16_t polynomial)
    {
        for (std::size_t byte = 0; byte < table_.size(); ++byte) {
            auto crc = static_cast<std::uint16_t>(byte << 8);
            for (int bit = 0; bit < 8; ++bit) {
                const bool top = (crc & 0x8000) != 0;
                crc = static_cast<std::uint16_t>(crc << 1);
                if (top) {
                    crc ^= polynomial;
                }
            }
            table_[byte] = crc;
        }
    }

    [[nodiscard]] std::uint16_t Update(std::uint16_t crc, const unsigned char* bytes,
                                       std::size_t count) const
    {
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t index = ((crc >> 8) ^ bytes[i]) & 0xFF;
            crc = static_cast<std::uint16_t>((crc << 8) ^ table_[index]);
        }
        return crc;
    }

private:
    std::array<std::uint16_t, 256> table_{};
};

inline constexpr Crc16Code CcittCrc{0x1021};
inline constexpr std::uint16_t Crc16Preset = 0xFFFF;
inline constexpr Crc16Code TelediskCrc{0xA097};

inline std::uint16_t UpdateCrc16(std::uint16_t crc, const unsigned char* bytes, std::size_t count)
{
    return CcittCrc.Update(crc, bytes, count);
}
