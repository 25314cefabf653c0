// The cells of one revolution of a synthesised track.
#pragma once

#include <cstdint>
#include <vector>

#include "FluxSynthesiser.h"

// One cell per entry, 1 for a flux transition; FM cells each as a zero
// cell and the cell, so that MFM and FM tracks share one cell time.
std::vector<std::uint8_t> SynthTrackCells(const SynthTrack& track, int revolution,
                                          const FluxSynthesis& synthesis);
