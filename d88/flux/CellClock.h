// A digital PLL turns a track's flux into bit cells.
#pragma once

#include <utility>

#include "CellStream.h"
#include "FluxTrack.h"

// The cells of every revolution of `track`, clocked from a cell of `cellNs`
// nanoseconds. A gap of more than MaxZeroRun cells without flux (unformatted
// or damaged media) gives MaxZeroRun zeros and restarts the phase, so the
// stream holds at most MaxZeroRun + 1 cells per interval.
constexpr std::size_t MaxZeroRun = 16;

// How much of each phase error the PLL takes up: into the period, and into
// the phase (the rest is carried into the next interval).
struct PllResponse {
    double periodAdjust;
    double phaseAdjust;
};
constexpr PllResponse StandardPll{0.05, 0.6};
// Slower to follow the flux: heavy jitter throws the standard loop off,
// where the gentler one holds through it.
constexpr PllResponse GentlePll{0.01, 0.1};

CellStream ClockCells(const FluxTrack& track, double cellNs,
                      const PllResponse& response = StandardPll);

// Two tracks clocked at once, each exactly as ClockCells clocks it with the
// standard loop. A PLL waits on the latency of its own arithmetic, so two
// independent ones interleaved take little more time than one.
std::pair<CellStream, CellStream> ClockCellsOfTwo(const FluxTrack& first, double firstCellNs,
                                                  const FluxTrack& second, double secondCellNs);
