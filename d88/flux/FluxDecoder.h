// A flux dump decoded into sectors, track by track, and into one D88 image,
// with a report of how well each track and sector read.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "FluxReport.h"
#include "FluxSource.h"
#include "FormatReaders.h"

struct DecodedFluxTrack {
    FluxTrackReport report;
    std::vector<unsigned char> data;  // each sector's dataSize bytes, in order
};

DecodedFluxTrack DecodeFluxTrack(const FluxTrack& track, int trackIndex);

// Two tracks, each decoded as DecodeFluxTrack decodes it, with their PLLs
// run side by side (most of a track's time is its PLL).
std::pair<DecodedFluxTrack, DecodedFluxTrack>
DecodeFluxTracks(const FluxTrack& first, int firstIndex, const FluxTrack& second, int secondIndex);

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
