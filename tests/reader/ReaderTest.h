// Fixture of the reader tests: a scratch folder for the image files and the
// reader under test. The reader is declared last so it closes its file
// before the folder is removed.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "D88File.h"
#include "D88ImageBuilder.h"
#include "ScratchDirectory.h"

// Bytes to be placed at an absolute offset of a file.
struct PlacedBytes {
    std::uint64_t offset;
    Bytes bytes;
};

// Destinations are filled with this before a read, to show which bytes the
// read stored.
constexpr std::uint8_t Guard = 0xAA;
bool AllGuard(Bytes::const_iterator first, Bytes::const_iterator last);

// One sector with every header field given.
BuiltSector MakeSector(std::uint8_t c, std::uint8_t h, std::uint8_t r, std::uint8_t n,
                       std::uint16_t sectorCount, Bytes data);

// A 128-byte sector (N 0) with ID (0, 0, r), the given sector count and
// PatternBytes(128, r) as data.
BuiltSector SmallSector(std::uint8_t r, std::uint16_t sectorCount);

// Small sectors R 1, 2, ... whose headers declare the given sector counts.
std::vector<BuiltSector> CountedTrack(const std::vector<std::uint16_t>& counts);

// Writes `pieces` at their offsets; the gaps between them read as zeros and
// take no room on file systems with sparse files, so images can lie gigabytes
// apart cheaply.
bool WritePlacedBytes(const std::string& path, const std::vector<PlacedBytes>& pieces);

class ReaderTest : public ::testing::Test {
protected:
    // Writes `bytes` as file `name` of the scratch folder; returns its path.
    std::string WriteImageFile(const std::string& name, const Bytes& bytes);

    // Writes `bytes` to a file and opens it with the reader.
    bool OpenBytes(const Bytes& bytes);

    // Opens `bytes` and makes image 0 current.
    bool SelectBytes(const Bytes& bytes);

    ScratchDirectory scratch_{"d88cut-reader-"};
    D88File reader_;

private:
    // Each image gets a file of its own: one still open cannot be replaced on
    // every system.
    int filesWritten_ = 0;
};
