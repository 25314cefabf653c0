// One track's sectors from the readings of all its revolutions.
//
// A reading is the same sector as one already seen when its ID (C, H, R, N)
// is the same and its ID mark lies within SamePlaceCells of the same place
// after the index, in a revolution that has not yet read that sector.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "D88ImageWriter.h"
#include "SectorReadings.h"

constexpr std::size_t SamePlaceCells = 1024;

// D88 status of a sector as the BIOS reports it.
constexpr unsigned char StatusGood = 0x00;

struct MergedSector {
    D88SectorFields fields;
    std::size_t place = 0;  // where its ID was first read
    std::size_t dataAt = 0;
    std::size_t dataSize = 0;  // 0 when no revolution read a data field for it
    int idReads = 0;
    int dataReads = 0;
    int goodReads = 0;
};

// The sectors in the order they pass the head after the index. Each takes
// its data from the first revolution whose data CRC holds (status 00, or 10
// with a deleted mark); else from the first that read a data field (B0);
// else it has no data (F0). `revolutionCells` is the length of one
// revolution, so that a sector at the index matches across it.
//
// Readings from `firstSecondPass` on come from the track clocked again (see
// GentleRetry.h): each counts only for a sector the first pass found no good
// data for, or did not find.
std::vector<MergedSector> MergeRevolutions(const TrackReadings& readings,
                                           std::size_t revolutionCells,
                                           std::size_t firstSecondPass = SIZE_MAX);
