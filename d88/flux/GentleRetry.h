// A track whose sectors the standard PLL missed is clocked again through
// the gentler one, which holds through heavier jitter, and that pass's good
// reads join the first pass's. At most one more pass over the flux.
#pragma once

#include <cstddef>
#include <vector>

#include "CellStream.h"
#include "FluxTrack.h"
#include "RevolutionMerge.h"
#include "SectorReadings.h"
#include "TrackMarks.h"

// True when a sector's ID was read but no revolution read its data right,
// or when a revolution holds more ID marks than sectors were found.
bool SectorsMissing(const std::vector<MergedSector>& sectors, const std::vector<TrackMark>& marks,
                    const CellStream& cells);

// Appends the good reads of the gentler PLL's pass over `track` to
// `readings`, as revolutions after the track's own, and returns the index
// of the first.
std::size_t AddGentleReadings(const FluxTrack& track, double cellNs, TrackReadings& readings);
