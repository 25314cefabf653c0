#include "DiskExtraction.h"

#include <cstdio>

#include "ExtractRegion.h"
#include "RegionCatalogue.h"

bool ExtractDiskA(D88File& disk, const OutputFiles& output)
{
    return ExtractRegion(disk, Bios98Region, output);
}

bool ExtractDiskB(D88File& disk, const OutputFiles& output)
{
    bool complete = true;
    for (int k = 0; MusicRegionTable[k].r != 0; ++k) {
        const MusicRegionRow& row = MusicRegionTable[k];
        char name[16];
        // NOLINTNEXTLINE(cert-err33-c): the table has 16 rows, so "MUSkk" always fits.
        std::snprintf(name, sizeof name, "MUS%02d", k);
        const DiskRegion region = {
            name, row.trackIndex, row.trackIndex >> 1, row.trackIndex & 1, row.r, 3, 0, row.length};
        // Every region is tried, whatever became of the one before.
        complete = ExtractRegion(disk, region, output) && complete;
    }
    return complete;
}
