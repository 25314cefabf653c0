#include "RevolutionMerge.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <utility>

namespace {

struct Candidate {
    MergedSector sector;
    std::size_t lastRevolution = 0;
    const SectorReading* chosen = nullptr;
};

// The ID and the place, so that the readings near a place are found in order.
using SectorKey = std::pair<std::uint32_t, std::int64_t>;

std::uint32_t IdKey(const SectorReading& reading)
{
    return std::uint32_t{reading.c} << 24 | std::uint32_t{reading.h} << 16 |
           std::uint32_t{reading.r} << 8 | reading.n;
}

class Merger {
public:
    explicit Merger(std::size_t revolutionCells)
        : revolutionCells_(static_cast<std::int64_t>(revolutionCells))
    {
    }

    void Add(const SectorReading& reading)
    {
        const std::optional<std::size_t> found = Find(reading);
        if (!found) {
            known_.emplace(SectorKey{IdKey(reading), reading.place}, candidates_.size());
            candidates_.emplace_back();
            candidates_.back().sector.place = reading.place;
        }
        Candidate& candidate = candidates_[found.value_or(candidates_.size() - 1)];
        candidate.lastRevolution = reading.revolution;
        ++candidate.sector.idReads;
        candidate.sector.dataReads += reading.data != DataRead::None ? 1 : 0;
        candidate.sector.goodReads += reading.data == DataRead::Good ? 1 : 0;
        // Readings come in revolution order: the first of the best kind stays.
        if (candidate.chosen == nullptr || reading.data > candidate.chosen->data) {
            candidate.chosen = &reading;
        }
    }

    std::vector<MergedSector> Finish()
    {
        std::vector<MergedSector> sectors;
        for (Candidate& candidate : candidates_) {
            Describe(*candidate.chosen, candidate.sector);
            sectors.push_back(candidate.sector);
        }
        std::stable_sort(sectors.begin(), sectors.end(),
                         [](const MergedSector& earlier, const MergedSector& later) {
                             return earlier.place < later.place;
                         });
        return sectors;
    }

private:
    // A candidate of the same ID near the same place, on either side of the
    // index, not yet read in this revolution.
    [[nodiscard]] std::optional<std::size_t> Find(const SectorReading& reading) const
    {
        const auto place = static_cast<std::int64_t>(reading.place);
        constexpr auto reach = static_cast<std::int64_t>(SamePlaceCells);
        for (const std::int64_t centre : std::array<std::int64_t, 3>{
                 place, place - revolutionCells_, place + revolutionCells_}) {
            auto entry = known_.lower_bound({IdKey(reading), centre - reach});
            for (; entry != known_.end() && entry->first.first == IdKey(reading) &&
                   entry->first.second <= centre + reach;
                 ++entry) {
                if (candidates_[entry->second].lastRevolution != reading.revolution) {
                    return entry->second;
                }
            }
        }
        return std::nullopt;
    }

    static void Describe(const SectorReading& chosen, MergedSector& sector)
    {
        D88SectorFields& fields = sector.fields;
        fields.c = chosen.c;
        fields.h = chosen.h;
        fields.r = chosen.r;
        fields.n = chosen.n;
        fields.fm = chosen.fm;
        fields.deleted = chosen.deleted;
        switch (chosen.data) {
        case DataRead::Good:
            fields.status = chosen.deleted ? d88::StatusDeletedData : StatusGood;
            break;
        case DataRead::BadCrc:
            fields.status = d88::StatusDataCrcError;
            break;
        case DataRead::None:
            fields.status = d88::StatusNoDataMark;
            return;
        }
        sector.dataAt = chosen.dataAt;
        sector.dataSize = std::size_t{128} << chosen.n;
    }

    std::int64_t revolutionCells_;
    std::vector<Candidate> candidates_;
    std::map<SectorKey, std::size_t> known_;
};

}  // namespace

std::vector<MergedSector> MergeRevolutions(const TrackReadings& readings,
                                           std::size_t revolutionCells)
{
    Merger merger(revolutionCells);
    for (const SectorReading& reading : readings.sectors) {
        merger.Add(reading);
    }
    return merger.Finish();
}
