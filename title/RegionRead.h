// Reading one of the title's regions as d88cut writes it: the one rule both
// programs follow, so d88info's checksums are those of d88cut's files.
#pragma once

#include <cstdint>
#include <vector>

#include "D88File.h"
#include "TitleLayout.h"

struct RegionBytes {
    // Always the region's full length: the bytes of its sectors, then zeros
    // from where the run broke off.
    std::vector<unsigned char> bytes;
    // How many of them were read; 0 when the region's first sector is missing.
    std::int32_t bytesRead = 0;
    // The sectors read in full whose status records a read error: their
    // bytes are in the region as the image holds them.
    std::vector<SectorRead> recordedErrors;

    [[nodiscard]] bool FirstSectorMissing() const { return bytesRead == 0; }
    [[nodiscard]] bool ReadInFull() const
    {
        return static_cast<std::size_t>(bytesRead) == bytes.size();
    }
    // Read in full, and without a recorded read error.
    [[nodiscard]] bool Sound() const { return ReadInFull() && recordedErrors.empty(); }
};

// Reads `region` from the current image of `file`, passing from track to
// track through the title's sector range.
RegionBytes ReadRegion(D88File& file, const DiskRegion& region);
