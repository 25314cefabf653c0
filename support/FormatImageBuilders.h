// Writes a disk (the tracks of sectors of a D88ImageBuilder) in the other
// image formats, byte by byte as each format lays it out, for tests and fuzz
// seeds. Raw formats (HDM, FDI, DCP) imply each sector's ID from its place:
// they write sector R of each track of their geometry, zeros where the disk
// has none; DIM writes each track's sectors in the disk's order. NFD, FDD,
// IMD and TD0 record every sector as the disk holds it, in its order.
#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "D88ImageBuilder.h"
#include "ImageFormat.h"

// Two heads.
struct RawGeometry {
    int cylinders = 77;
    int sectors = 8;
    std::uint8_t n = 3;
};

struct NfdDiagRecord {
    std::uint8_t retries = 0;
    std::uint32_t dataLength = 0;
};

struct NfdOptions {
    bool writeProtected = false;
    // Status left at zero and said by the uPD765 result bytes instead.
    bool statusAsResultBytes = false;
    // r1: retry copies of the sector at (track, place in track); each copy
    // is the data with every bit inverted.
    std::map<std::pair<int, std::size_t>, std::uint8_t> retries;
    // r1: diag records of a track, after its sectors.
    std::map<int, std::vector<NfdDiagRecord>> diags;
};

struct FddOptions {
    bool writeProtected = false;
    char version = '0';  // VFD1.0x
    // A sector whose bytes all hold one value is not stored: its map entry
    // gives that fill byte.
    bool fillSectors = true;
};

struct ImdOptions {
    std::string comment;
    // Sectors (track, place in track) written as data that could not be read.
    std::set<std::pair<int, std::size_t>> unreadable;
    // A table of sizes even where one size code would do.
    bool sizeTable = false;
    // Track records from the last track to the first.
    bool reverseTracks = false;
};

Bytes BuildHdm(const D88ImageBuilder& disk);
Bytes BuildFdi(const D88ImageBuilder& disk, const RawGeometry& geometry = {},
               std::uint32_t deviceType = 0x90, std::uint32_t headerSize = 4096);
// The map marks the tracks the disk has.
Bytes BuildDcp(const D88ImageBuilder& disk, std::uint8_t mediaType = 0x01,
               const RawGeometry& geometry = {}, bool allTracksFlag = false);
// The comment is the disk's name.
Bytes BuildNfdR0(const D88ImageBuilder& disk, const NfdOptions& options = {});
Bytes BuildNfdR1(const D88ImageBuilder& disk, const NfdOptions& options = {});
// The comment is the disk's name; the flags mark the tracks the disk has.
// Packed: the flagged tracks one after another; else each at its own place.
Bytes BuildDim(const D88ImageBuilder& disk, std::uint8_t mediaType = 0x00, bool packed = true);
// The comment is the disk's name; 2HD when the disk's media type is.
Bytes BuildFdd(const D88ImageBuilder& disk, const FddOptions& options = {});
// 500 kbit/s when the disk's media type is 2HD, else 250 kbit/s; FM where a
// track's first sector is. A sector whose bytes all hold one value is
// compressed; maps of C and H where a track's IDs differ from its place.
Bytes BuildImd(const D88ImageBuilder& disk, const ImdOptions& options = {});

struct Td0Options {
    // "td": all after the header LZHUF-compressed (literals only).
    bool advanced = false;
    std::uint8_t version = 21;
    // The comment's lines; a comment block when there are any.
    std::vector<std::string> comment;
    // Run-length fragments repeat blocks of 1 << runShift bytes.
    std::uint8_t runShift = 1;
    // Flags added to those of the sector at (track, place in track), such
    // as 0x10 (left out as unallocated by DOS) or 0x40 (data with no ID).
    std::map<std::pair<int, std::size_t>, std::uint8_t> extraFlags;
};

// Each sector's data as the shortest of raw bytes, one repeated 2-byte
// pattern and run-length fragments; its flags from its deleted mark and
// status (B0: CRC error, F0: no data). 500 kbit/s for a 2HD disk, else 250.
Bytes BuildTd0(const D88ImageBuilder& disk, const Td0Options& options = {});
// Teledisk's CRC-16: polynomial 0xA097, first bit highest, starting at 0.
std::uint16_t Td0Crc(const std::uint8_t* bytes, std::size_t count);

// A 2HD disk (such as the title's) in `format`, with each builder's defaults.
Bytes BuildInFormat(ImageFormat format, const D88ImageBuilder& disk);

// Each sector's data starts with its own C, H, R, N.
std::vector<BuiltSector> SelfDescribing(std::vector<BuiltSector> sectors);
