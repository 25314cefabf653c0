#include "RegionRead.h"

#include <algorithm>

RegionBytes ReadRegion(D88File& file, const DiskRegion& region)
{
    RegionBytes read;
    read.bytes.assign(static_cast<std::size_t>(region.length), 0);
    std::vector<SectorRead> sectors;
    read.bytesRead = file.ReadSectors(region.trackIndex, region.c, region.h, region.r, region.n,
                                      TitleSectorRange, read.bytes.data(), region.length, &sectors);
    // A run that breaks off may leave part of the sector that broke it, at
    // most the largest sector, behind the bytes it counts: that part is
    // zeroed again.
    constexpr std::int32_t LargestSector = 128 << d88::MaxSizeCode;
    const std::int32_t brokenEnd = std::min(region.length, read.bytesRead + LargestSector);
    // Zero as a byte, so the fill is one memset in every build.
    std::fill(read.bytes.begin() + read.bytesRead, read.bytes.begin() + brokenEnd,
              static_cast<unsigned char>(0));
    for (const SectorRead& sector : sectors) {
        if (d88::IsReadError(sector.status)) {
            read.recordedErrors.push_back(sector);
        }
    }
    return read;
}
