// Composes one D88 image in memory from sectors read out of another image
// format: the 688-byte header, the track table, then each track's sectors,
// each a 16-byte sector header and its data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ByteSource.h"
#include "D88Layout.h"

// What a sector header of the image says of a sector besides its data.
struct D88SectorFields {
    unsigned char c = 0;
    unsigned char h = 0;
    unsigned char r = 1;
    unsigned char n = 3;
    bool fm = false;       // FM density; MFM otherwise
    bool deleted = false;  // recorded with a deleted data mark
    unsigned char status = 0;
};

class D88ImageWriter {
public:
    // `name` holds up to d88::NameLength bytes and ends at its first NUL; null for
    // an image without a name.
    D88ImageWriter(const unsigned char* name, std::size_t nameLength, unsigned char mediaType,
                   bool writeProtected);

    // Appends a sector to track `trackIndex`, its `dataSize` bytes read from
    // `source` at `offset`. Tracks are filled in ascending order. Adds
    // nothing and returns false when the source does not hold all the data,
    // the track index is out of order or out of range, the track already
    // holds as many sectors as a D88 sector count can say, or the image
    // would pass the 4 GiB a D88 disk size can say.
    bool AddSector(int trackIndex, const D88SectorFields& fields, ByteSource& source,
                   std::uint64_t offset, std::size_t dataSize);
    // The same for data in memory, such as a sector a format stores
    // compressed.
    bool AddSector(int trackIndex, const D88SectorFields& fields, const unsigned char* data,
                   std::size_t dataSize);

    // Appends sectors R = 1..sectorCount of size code `n` (0..7), ID C and H
    // the track's cylinder and head, from consecutive bytes at `offset`: the
    // track of a raw image. False when one of them could not be added.
    bool AddPlainTrack(int trackIndex, int sectorCount, unsigned char n, bool fmDensity,
                       ByteSource& source, std::uint64_t offset);

    // The finished image; the writer is spent.
    std::vector<unsigned char> Finish();

private:
    // Room for a sector of `dataSize` bytes at the end of track
    // `trackIndex`, its header written; null when it cannot be added.
    unsigned char* AppendSector(int trackIndex, const D88SectorFields& fields,
                                std::size_t dataSize);
    void CloseTrack();

    std::vector<unsigned char> image_;
    int currentTrack_ = -1;
    std::size_t trackStart_ = 0;
    std::uint32_t sectorsInTrack_ = 0;
    std::vector<unsigned char> scratch_;
};
