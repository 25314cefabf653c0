// PC-98 device type codes (PDA) as FDI and NFD headers record them, and the
// media of a disk told by its data rate and its cylinders.
#include <array>

#include "FormatReaders.h"

namespace {

struct DeviceMedia {
    std::uint32_t highNibble;
    unsigned char mediaType;
};

// A 2D drive steps over about 40 cylinders; a few more hold copy protection.
constexpr int Max2DCylinders = 42;

// 2HD at 360 rpm, 1.44 MB at 300 rpm, 2DD, 2D.
constexpr std::array<DeviceMedia, 8> DeviceMediaTable{{
    {0x90, d88::Media2HD},
    {0x30, d88::Media2HD},
    {0xB0, d88::Media2HD},
    {0x10, d88::Media2DD},
    {0x70, d88::Media2DD},
    {0xF0, d88::Media2DD},
    {0x50, d88::Media2D},
    {0xD0, d88::Media2D},
}};

}  // namespace

std::optional<unsigned char> MediaTypeOfDevice(std::uint32_t deviceType)
{
    if (deviceType > 0xFF) {
        return std::nullopt;
    }
    for (const DeviceMedia& entry : DeviceMediaTable) {
        if (entry.highNibble == (deviceType & 0xF0)) {
            return entry.mediaType;
        }
    }
    return std::nullopt;
}

unsigned char MediaTypeOfRate(bool highRate, int cylinders)
{
    if (highRate) {
        return d88::Media2HD;
    }
    return cylinders > Max2DCylinders ? d88::Media2DD : d88::Media2D;
}
