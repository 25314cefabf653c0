// The regions of the title's disks that the tool writes out as files. Every
// region is a run of 1,024-byte sectors (N = 3) read with the sector range
// 1..8, so a region that ends past sector 8 runs on into the next track.
#pragma once

#include <cstdint>

struct DiskRegion {
    const char* name;
    std::int32_t trackIndex;
    std::int32_t c;
    std::int32_t h;
    std::int32_t r;
    std::int32_t n;
    std::int32_t skip;
    std::int32_t length;
};

// Disk A holds one region.
extern const DiskRegion Bios98Region;

// Disk B: the music files MUS00, MUS01, ... in row order. C and H of each row
// follow from its track index (C = track >> 1, H = track & 1). The table ends
// with a row whose sector is 0.
struct MusicRegionRow {
    std::int32_t trackIndex;
    std::int32_t r;
    std::int32_t length;
};

extern const MusicRegionRow MusicRegionTable[];
