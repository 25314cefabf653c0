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

CellStream ClockCells(const FluxTrack& track, double cellNs);

// Two tracks clocked at once, each exactly as ClockCells clocks it. A PLL
// waits on the latency of its own arithmetic, so two independent ones
// interleaved take little more time than one.
std::pair<CellStream, CellStream> ClockCellsOfTwo(const FluxTrack& first, double firstCellNs,
                                                  const FluxTrack& second, double secondCellNs);
