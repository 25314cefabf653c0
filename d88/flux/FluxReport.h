// How well a flux dump read: per track, the revolutions, the cell and the
// rotation measured in the flux; per sector, how many revolutions read its
// ID, a data field and good data.
#pragma once

#include <cstddef>
#include <vector>

#include "D88ImageWriter.h"
#include "D88Layout.h"

// A sector the first pass over a track read no good data for counts the
// good reads of the second pass too (see GentleRetry.h), so its counts may
// pass the revolutions.
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
