// Each sector as each revolution read it: an ID whose CRC holds, and the
// data field that follows it, if one does.
#pragma once

#include <cstddef>
#include <vector>

#include "CellStream.h"
#include "TrackMarks.h"

// Ordered from worst to best.
enum class DataRead : unsigned char { None, BadCrc, Good };

struct SectorReading {
    std::size_t revolution = 0;
    std::size_t place = 0;  // cells from the revolution's index to the ID mark
    unsigned char c = 0;
    unsigned char h = 0;
    unsigned char r = 0;
    unsigned char n = 0;
    bool fm = false;
    DataRead data = DataRead::None;
    bool deleted = false;
    std::size_t dataAt = 0;  // where its 128 << n bytes start in TrackReadings::data
};

struct TrackReadings {
    std::vector<SectorReading> sectors;  // in the order of the stream
    std::vector<unsigned char> data;
    int idCrcErrors = 0;
};

// A sector whose ID or data field the end of the capture cuts short is not
// read in that revolution. A data field belongs to an ID when its mark is
// the next mark, of the same encoding, within MaxGapBytes of the ID's end.
// An ID whose N is past 7 is read without data.
constexpr std::size_t MaxGapBytes = 64;

TrackReadings ReadSectors(const CellStream& cells, const std::vector<TrackMark>& marks);
