#include "ExtractRegion.h"

#include <algorithm>
#include <cstdio>

#include "DiskBuffer.h"
#include "Messages.h"
#include "RegionRead.h"

bool ExtractRegion(D88File& disk, const DiskRegion& region, RegionSink& output)
{
    const std::int32_t got = ReadRegion(disk, region, DiskBuffer);
    if (got == 0) {
        // Without its first sector a region leaves no file, and an older file
        // of that name stays as it was.
        std::fprintf(stderr, CannotReadSectorsFormat, region.name);
        return false;
    }
    std::printf(CuttingFormat, region.name);
    // A region that breaks off is still written at its full length.
    const bool fullyRead = got == region.skip + region.length;
    if (!fullyRead) {
        std::fprintf(stderr, PartlyReadFormat, region.name, std::max(got - region.skip, 0),
                     region.length);
        // A damaged copy never takes the place of a file the user has.
        if (output.Holds(region.name)) {
            std::fprintf(stderr, KeptExistingFileFormat, region.name);
            return false;
        }
    }
    const bool written = output.Keep(region.name, DiskBuffer + region.skip,
                                     static_cast<std::size_t>(region.length), fullyRead);
    if (!written) {
        std::fprintf(stderr, CannotWriteFileFormat, region.name);
    }
    return fullyRead && written;
}
