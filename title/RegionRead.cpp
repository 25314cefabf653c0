#include "RegionRead.h"

#include <algorithm>

RegionBytes ReadRegion(D88File& file, const DiskRegion& region)
{
    RegionBytes read;
    read.bytes.assign(static_cast<std::size_t>(region.length), 0);
    // A run that breaks off may leave part of a sector behind the bytes it
    // counts: that part is zeroed again.
    std::vector<SectorRead> sectors;
    read.bytesRead = file.ReadSectors(region.trackIndex, region.c, region.h, region.r, region.n,
                                      TitleSectorRange, read.bytes.data(), region.length, &sectors);
    std::fill(read.bytes.begin() + read.bytesRead, read.bytes.end(), 0);
    for (const SectorRead& sector : sectors) {
        if (d88::IsReadError(sector.status)) {
            read.recordedErrors.push_back(sector);
        }
    }
    return read;
}
