// A flux dump decoded into sectors, track by track, and into one D88 image,
// with a report of how well each track and sector read.
#pragma once

#include <cstddef>
#include <vector>

#include "FluxSource.h"
#include "FormatReaders.h"

struct FluxSectorReport {
    D88SectorFields fields;
    std::size_t dataSize = 0;  // 0 for a sector no revolution read data for
    int idReads = 0;           // revolutions that read its ID
    int dataReads = 0;         // revolutions that read a data field for it
    int goodReads = 0;         // revolutions that read its data with a good CRC
};

struct FluxTrackReport {
    int trackIndex = 0;
    int revolutions = 0;
    double cellNs = 0;  // the cell found in the flux (FM: half its cell); 0 when none was
    double revolutionNs = 0;
    double cellsPerRevolution = 0;
    int idCrcErrors = 0;  // IDs read with a bad CRC, in all revolutions
    std::vector<FluxSectorReport> sectors;
};

struct FluxDiskReport {
    unsigned char mediaType = d88::Media2HD;
    std::vector<FluxTrackReport> tracks;  // each track the dump holds
};

struct DecodedFluxTrack {
    FluxTrackReport report;
    std::vector<unsigned char> data;  // each sector's dataSize bytes, in order
};

DecodedFluxTrack DecodeFluxTrack(const FluxTrack& track, int trackIndex);

struct FluxDisk {
    D88Bytes image;
    FluxDiskReport report;
};

// Reads and decodes tracks 0 .. TrackLimit() - 1 one at a time (those past
// the last a D88 image holds are left out). The media type follows the
// tracks' length in cells, which no drive speed changes: about 166,667 for
// 2HD, 100,000 or fewer for 2DD and 2D (2DD when a cylinder past 42 has
// sectors).
FluxDisk DecodeFluxDisk(FluxSource& source);
