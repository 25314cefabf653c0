// One track: the cell time from its flux, the cells from a PLL over all its
// revolutions, the marks and fields in them, and the sectors from every
// revolution's readings.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <optional>

#include "CellClock.h"
#include "CellTime.h"
#include "FluxDecoder.h"
#include "GentleRetry.h"
#include "RevolutionMerge.h"
#include "SectorReadings.h"
#include "TrackMarks.h"

namespace {

double MeanRevolutionNs(const FluxTrack& track)
{
    if (track.revolutions.empty() || !std::isfinite(track.tickNs)) {
        return 0;
    }
    // Summed in whole ticks, not in floating point, where each addition
    // would wait on the last: the same sum below 2^53 ticks (at 25 ns,
    // seven years of flux).
    std::uint64_t ticks = 0;
    for (const std::vector<std::uint32_t>& revolution : track.revolutions) {
        for (const std::uint32_t interval : revolution) {
            ticks += interval;
        }
    }
    return static_cast<double>(ticks) * track.tickNs /
           static_cast<double>(track.revolutions.size());
}

FluxSectorReport ReportOf(const MergedSector& sector)
{
    FluxSectorReport report;
    report.fields = sector.fields;
    report.dataSize = sector.dataSize;
    report.idReads = sector.idReads;
    report.dataReads = sector.dataReads;
    report.goodReads = sector.goodReads;
    return report;
}

// The report's measures of the flux, and the cell time found in it; 0
// when there is none and nothing to clock.
DecodedFluxTrack Measured(const FluxTrack& track, int trackIndex)
{
    DecodedFluxTrack decoded;
    FluxTrackReport& report = decoded.report;
    report.trackIndex = trackIndex;
    report.revolutions = static_cast<int>(std::min<std::size_t>(track.revolutions.size(), INT_MAX));
    report.revolutionNs = MeanRevolutionNs(track);
    const std::optional<double> cellNs = FindCellTime(track);
    if (cellNs && !track.revolutions.empty()) {
        report.cellNs = *cellNs;
    }
    return decoded;
}

bool Clockable(const DecodedFluxTrack& decoded)
{
    return decoded.report.cellNs > 0;
}

// The sectors of the track's cells, from every revolution's readings, and
// from the gentler PLL's when sectors are missing.
void AddSectors(const CellStream& cells, const FluxTrack& track, DecodedFluxTrack& decoded)
{
    FluxTrackReport& report = decoded.report;
    const std::size_t revolutionCells = cells.Size() / track.revolutions.size();
    report.cellsPerRevolution = static_cast<double>(revolutionCells);
    const std::vector<TrackMark> marks = FindMarks(cells);
    TrackReadings readings = ReadSectors(cells, marks);
    report.idCrcErrors = readings.idCrcErrors;
    std::vector<MergedSector> sectors = MergeRevolutions(readings, revolutionCells);
    if (SectorsMissing(sectors, marks, cells)) {
        const std::size_t firstGentle = AddGentleReadings(track, report.cellNs, readings);
        sectors = MergeRevolutions(readings, revolutionCells, firstGentle);
    }
    for (const MergedSector& sector : sectors) {
        report.sectors.push_back(ReportOf(sector));
        const auto first = readings.data.begin() + static_cast<std::ptrdiff_t>(sector.dataAt);
        decoded.data.insert(decoded.data.end(), first,
                            first + static_cast<std::ptrdiff_t>(sector.dataSize));
    }
}

void ClockAndAddSectors(const FluxTrack& track, DecodedFluxTrack& decoded)
{
    if (Clockable(decoded)) {
        AddSectors(ClockCells(track, decoded.report.cellNs), track, decoded);
    }
}

}  // namespace

DecodedFluxTrack DecodeFluxTrack(const FluxTrack& track, int trackIndex)
{
    DecodedFluxTrack decoded = Measured(track, trackIndex);
    ClockAndAddSectors(track, decoded);
    return decoded;
}

std::pair<DecodedFluxTrack, DecodedFluxTrack>
DecodeFluxTracks(const FluxTrack& first, int firstIndex, const FluxTrack& second, int secondIndex)
{
    std::pair<DecodedFluxTrack, DecodedFluxTrack> decoded{Measured(first, firstIndex),
                                                          Measured(second, secondIndex)};
    if (!Clockable(decoded.first) || !Clockable(decoded.second)) {
        ClockAndAddSectors(first, decoded.first);
        ClockAndAddSectors(second, decoded.second);
        return decoded;
    }
    const std::pair<CellStream, CellStream> cells =
        ClockCellsOfTwo(first, decoded.first.report.cellNs, second, decoded.second.report.cellNs);
    AddSectors(cells.first, first, decoded.first);
    AddSectors(cells.second, second, decoded.second);
    return decoded;
}
