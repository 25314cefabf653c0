#include "RegionCatalogue.h"

// Tracks 100 to 102 in full: 24 sectors.
const DiskRegion Bios98Region = {"BIOS98", 100, 50, 0, 1, 3, 0, 0x6000};

// The sixteen regions lie end to end, from track 11 sector 4 to the last
// sector of track 15.
const MusicRegionRow MusicRegionTable[] = {
    // track, sector, length
    {11, 4, 2048},  // MUS00
    {11, 6, 4096},  // MUS01
    {12, 2, 3072},  // MUS02
    {12, 5, 2048},  // MUS03
    {12, 7, 1024},  // MUS04
    {12, 8, 2048},  // MUS05
    {13, 2, 2048},  // MUS06
    {13, 4, 1024},  // MUS07
    {13, 5, 4096},  // MUS08
    {14, 1, 1024},  // MUS09
    {14, 2, 1024},  // MUS10
    {14, 3, 7168},  // MUS11
    {15, 2, 1024},  // MUS12
    {15, 3, 1024},  // MUS13
    {15, 4, 2048},  // MUS14
    {15, 6, 3072},  // MUS15
    {0, 0, 0},      // end of the table
};
