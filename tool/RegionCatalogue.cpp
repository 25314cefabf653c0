#include "RegionCatalogue.h"

// Tracks 100 to 102 in full: 24 sectors.
const DiskRegion Bios98Region = {"BIOS98", 100, 50, 0, 1, 3, 0, 0x6000};

// The sixteen regions lie end to end, from track 11 sector 4 to the last
// sector of track 15.
const MusicRegionRow MusicRegionTable[] = {
    {11, 4, 2048}, {11, 6, 4096}, {12, 2, 3072}, {12, 5, 2048}, {12, 7, 1024}, {12, 8, 2048},
    {13, 2, 2048}, {13, 4, 1024}, {13, 5, 4096}, {14, 1, 1024}, {14, 2, 1024}, {14, 3, 7168},
    {15, 2, 1024}, {15, 3, 1024}, {15, 4, 2048}, {15, 6, 3072}, {0, 0, 0},
};
