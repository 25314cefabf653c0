#include "Crc16.h"

#include <array>

namespace {

constexpr std::uint16_t Polynomial = 0x1021;

constexpr std::array<std::uint16_t, 256> MakeTable()
{
    std::array<std::uint16_t, 256> table{};
    for (std::size_t byte = 0; byte < table.size(); ++byte) {
        auto crc = static_cast<std::uint16_t>(byte << 8);
        for (int bit = 0; bit < 8; ++bit) {
            const bool top = (crc & 0x8000) != 0;
            crc = static_cast<std::uint16_t>(crc << 1);
            if (top) {
                crc ^= Polynomial;
            }
        }
        table[byte] = crc;
    }
    return table;
}

constexpr std::array<std::uint16_t, 256> Table = MakeTable();

}  // namespace

std::uint16_t UpdateCrc16(std::uint16_t crc, const unsigned char* bytes, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t index = ((crc >> 8) ^ bytes[i]) & 0xFF;
        crc = static_cast<std::uint16_t>((crc << 8) ^ Table[index]);
    }
    return crc;
}
