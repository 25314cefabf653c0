#include "RegionRead.h"

#include <algorithm>

std::int32_t ReadRegion(D88File& file, const DiskRegion& region, unsigned char* buffer)
{
    const std::int32_t wanted = region.skip + region.length;
    const std::int32_t got =
        file.ReadSectors(region.trackIndex, region.c, region.h, region.r, region.n, buffer, wanted);
    // A run that breaks off may leave part of a sector behind the bytes it
    // counts.
    std::fill(buffer + got, buffer + wanted, 0);
    return got;
}
