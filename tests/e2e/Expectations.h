// What a run of d88cut should leave: its console texts, built from the tool's
// message bytes, and its output files, cut from the images the test built.
// The regions are written out here again, from the disks' layout, so a
// wrong row in the tool's catalogue shows.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "D88ImageBuilder.h"
#include "ToolRun.h"

struct ExpectedRegion {
    const char* name;
    int trackIndex;
    int r;
    std::size_t length;
};

inline constexpr ExpectedRegion Bios98 = {"BIOS98", 100, 1, 24576};

// MUS00 .. MUS15 in file order.
inline constexpr std::array<ExpectedRegion, 16> MusicRegions = {{
    {"MUS00", 11, 4, 2048},
    {"MUS01", 11, 6, 4096},
    {"MUS02", 12, 2, 3072},
    {"MUS03", 12, 5, 2048},
    {"MUS04", 12, 7, 1024},
    {"MUS05", 12, 8, 2048},
    {"MUS06", 13, 2, 2048},
    {"MUS07", 13, 4, 1024},
    {"MUS08", 13, 5, 4096},
    {"MUS09", 14, 1, 1024},
    {"MUS10", 14, 2, 1024},
    {"MUS11", 14, 3, 7168},
    {"MUS12", 15, 2, 1024},
    {"MUS13", 15, 3, 1024},
    {"MUS14", 15, 4, 2048},
    {"MUS15", 15, 6, 3072},
}};

// The bytes of `region` on `disk`: its 1,024-byte sectors in order, going on
// at sector 1 of the next track after sector 8.
Bytes RegionBytes(const D88ImageBuilder& disk, const ExpectedRegion& region);

// `bytes` with everything from `kept` on set to 0.
Bytes ZeroedFrom(Bytes bytes, std::size_t kept);

// File name -> contents.
using FileSet = std::map<std::string, Bytes>;

FileSet DiskAFiles(const D88ImageBuilder& disk);
FileSet DiskBFiles(const D88ImageBuilder& disk);

// The console texts, with "\n" newlines.
std::string UsageText();
// Recognition and every "cutting ..." line of a disk in full.
std::string DiskAOutput();
std::string DiskBOutput();

// Standard output, standard error (converted as the console carries them)
// and the exit status.
void ExpectRun(const ToolResult& result, const std::string& out, const std::string& err,
               int exitStatus);

// `dir` holds exactly `files`, byte for byte, and the subdirectories named in
// `directories`: nothing else, no temporary file.
void ExpectDirectoryHolds(const std::string& dir, const FileSet& files,
                          const std::set<std::string>& directories = {});

// The same title disk (all of its tracks recorded) with other bytes in every
// sector but the two signature sectors, so that files cut from it differ
// from the original's.
D88ImageBuilder WithOtherContents(D88ImageBuilder disk, std::uint8_t mask);

// Cuts the data of sector `r` of track `trackIndex` to `size` bytes (the
// recorded data size follows).
void ShortenSector(D88ImageBuilder& disk, int trackIndex, int r, std::size_t size);

// Copies `length` bytes of `text` into sector `r` of track `trackIndex` at
// `offset`.
void PutText(D88ImageBuilder& disk, int trackIndex, int r, std::size_t offset, const char* text,
             std::size_t length);
