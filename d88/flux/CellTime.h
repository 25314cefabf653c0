// The bit-cell time of a track, found from its own flux: no rate, rpm or
// drive speed is assumed, so a disk read at 300 or 360 rpm, or by a drive a
// few percent fast or slow, gives its true cell.
#pragma once

#include <optional>

#include "FluxTrack.h"

// Cells from 0.2 to 8 us: every rate a PC floppy controller writes, FM or
// MFM, on any drive.
constexpr double MinCellNs = 200;
constexpr double MaxCellNs = 8000;

// The cell time in nanoseconds, or nullopt when the flux shows no run of
// cells (no flux, or no interval a cell time explains).
std::optional<double> FindCellTime(const FluxTrack& track);
