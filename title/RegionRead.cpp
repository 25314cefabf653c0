#include "RegionRead.h"

#include <algorithm>

RegionBytes ReadRegion(D88File& file, const DiskRegion& region)
{
    RegionBytes read;
    read.bytes.assign(static_cast<std::size_t>(region.length), 0);
    // A run that breaks off may leave part of a sector behind the bytes it
    // counts: that part is zeroed again.
    read.bytesRead = file.ReadSectors(region.trackIndex, region.c, region.h, region.r, region.n,
                                      TitleSectorRange, read.bytes.data(), region.length);
    std::fill(read.bytes.begin() + read.bytesRead, read.bytes.end(), 0);
    return read;
}
