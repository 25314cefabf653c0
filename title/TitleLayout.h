// The layout of the title's two disks: every fact d88cut and d88info rely on
// to recognise a disk and to cut its files, in one place. Each table can be
// checked against a hex dump of the disk.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "D88File.h"

// A sector as the reader addresses it: the track it is recorded in and its
// ID (C, H, R, N).
struct SectorAddress {
    std::int32_t trackIndex;
    std::int32_t c;
    std::int32_t h;
    std::int32_t r;
    std::int32_t n;
};

// Both disks are 77 cylinders x 2 heads x 8 sectors of 1,024 bytes (N = 3).
// A run of sectors passes from sector 8 to sector 1 of the next track.
inline constexpr std::int32_t TitleSizeCode = 3;
inline constexpr std::int32_t TitleSectorBytes = 128 << TitleSizeCode;
inline constexpr SectorRange TitleSectorRange = {1, 8};
inline constexpr std::int32_t TitleTrackCount = 77 * 2;
inline constexpr std::int32_t TitleDiskBytes =
    TitleTrackCount * (TitleSectorRange.last - TitleSectorRange.first + 1) * TitleSectorBytes;

// Sector R of track `trackIndex`, whose ID carries the track's place:
// C = track / 2, H = track % 2.
constexpr SectorAddress TitleSector(std::int32_t trackIndex, std::int32_t r)
{
    return {trackIndex, trackIndex >> 1, trackIndex & 1, r, TitleSizeCode};
}

// Text a disk carries at a fixed place of one sector. It is compared without
// a terminator.
struct DiskSignature {
    SectorAddress sector;
    std::int32_t offset;
    const char* text;
    std::int32_t length;
};

inline constexpr char DiskAText[] = "@(rev)QuillMoraven PC-98";
// "ＱＵＩＬＬ　ＭＯＲＡＶＥＮ" in Shift_JIS: full-width letters and an
// ideographic space.
inline constexpr char DiskBText[] =
    "\x82\x70\x82\x74\x82\x68\x82\x6B\x82\x6B\x81\x40"
    "\x82\x6C\x82\x6E\x82\x71\x82\x60\x82\x75\x82\x64\x82\x6D";

inline constexpr DiskSignature DiskASignature = {TitleSector(120, 1), 2, DiskAText,
                                                 sizeof DiskAText - 1};
inline constexpr DiskSignature DiskBSignature = {TitleSector(100, 2), 539, DiskBText,
                                                 sizeof DiskBText - 1};

// A file cut from a disk: `length` bytes read through consecutive sectors
// from the start of the one it starts in.
struct DiskRegion : SectorAddress {
    const char* name;
    std::int32_t length;
};

// Disk A: tracks 100 to 102 in full, 24 sectors.
inline constexpr std::array<DiskRegion, 1> BiosRegionTable = {{
    {TitleSector(100, 1), "BIOS98", 0x6000},
}};

// Disk B: sixteen files lying end to end, from track 11 sector 4 to the last
// sector of track 15, in the order they are written.
inline constexpr std::array<DiskRegion, 16> MusicRegionTable = {{
    {TitleSector(11, 4), "MUS00", 2048},
    {TitleSector(11, 6), "MUS01", 4096},
    {TitleSector(12, 2), "MUS02", 3072},
    {TitleSector(12, 5), "MUS03", 2048},
    {TitleSector(12, 7), "MUS04", 1024},
    {TitleSector(12, 8), "MUS05", 2048},
    {TitleSector(13, 2), "MUS06", 2048},
    {TitleSector(13, 4), "MUS07", 1024},
    {TitleSector(13, 5), "MUS08", 4096},
    {TitleSector(14, 1), "MUS09", 1024},
    {TitleSector(14, 2), "MUS10", 1024},
    {TitleSector(14, 3), "MUS11", 7168},
    {TitleSector(15, 2), "MUS12", 1024},
    {TitleSector(15, 3), "MUS13", 1024},
    {TitleSector(15, 4), "MUS14", 2048},
    {TitleSector(15, 6), "MUS15", 3072},
}};

// One disk of the title: the signature that tells it, the files it gives.
struct TitleDisk {
    const char* letter;  // "A" or "B"
    DiskSignature signature;
    const DiskRegion* regions;
    std::size_t regionCount;

    [[nodiscard]] const DiskRegion* begin() const { return regions; }
    [[nodiscard]] const DiskRegion* end() const { return regions + regionCount; }
};

// In the order the signatures are tested: an image that carries both is
// disk A.
inline constexpr std::array<TitleDisk, 2> TitleDiskTable = {{
    {"A", DiskASignature, BiosRegionTable.data(), BiosRegionTable.size()},
    {"B", DiskBSignature, MusicRegionTable.data(), MusicRegionTable.size()},
}};
inline constexpr const TitleDisk& DiskA = TitleDiskTable[0];
inline constexpr const TitleDisk& DiskB = TitleDiskTable[1];
