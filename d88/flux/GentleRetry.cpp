#include "GentleRetry.h"

#include <algorithm>

#include "CellClock.h"

namespace {

// Each revolution passes every sector's ID under the head once.
std::size_t MostIdMarksInARevolution(const std::vector<TrackMark>& marks,
                                     const std::vector<std::size_t>& revolutionStarts)
{
    std::size_t most = 0;
    std::size_t count = 0;
    std::size_t revolution = 0;
    for (const TrackMark& mark : marks) {
        if (mark.kind != MarkKind::Id) {
            continue;
        }
        while (revolution + 1 < revolutionStarts.size() &&
               revolutionStarts[revolution + 1] <= mark.start) {
            most = std::max(most, count);
            count = 0;
            ++revolution;
        }
        ++count;
    }
    return std::max(most, count);
}

}  // namespace

bool SectorsMissing(const std::vector<MergedSector>& sectors, const std::vector<TrackMark>& marks,
                    const CellStream& cells)
{
    const bool unread = std::any_of(sectors.begin(), sectors.end(), [](const MergedSector& sector) {
        return sector.goodReads == 0;
    });
    return unread || MostIdMarksInARevolution(marks, cells.RevolutionStarts()) > sectors.size();
}

std::size_t AddGentleReadings(const FluxTrack& track, double cellNs, TrackReadings& readings)
{
    const std::size_t first = readings.sectors.size();
    const CellStream cells = ClockCells(track, cellNs, GentlePll);
    const TrackReadings gentle = ReadSectors(cells, FindMarks(cells));
    for (SectorReading reading : gentle.sectors) {
        if (reading.data != DataRead::Good) {
            continue;
        }
        const auto data = gentle.data.begin() + static_cast<std::ptrdiff_t>(reading.dataAt);
        reading.revolution += track.revolutions.size();
        reading.dataAt = readings.data.size();
        readings.data.insert(readings.data.end(), data, data + (std::ptrdiff_t{128} << reading.n));
        readings.sectors.push_back(reading);
    }
    return first;
}
