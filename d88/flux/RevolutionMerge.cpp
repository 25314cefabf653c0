#include "RevolutionMerge.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <utility>

namespace {

// The second pass's PLL slips otherwise than the first's, so its places
// may lie further from the first's: up to half of the smallest sector's
// data field, 128 bytes of MFM, which two sectors of one ID never share.
constexpr std::size_t SecondPassPlaceCells = 2048;

struct Candidate {
    MergedSector sector;
    std::size_t lastRevolution = 0;
    const SectorReading* chosen = nullptr;
    bool settled = false;  // the first pass read its data right
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
        Count(reading, found ? *found : NewCandidate(reading));
    }

    void StartSecondPass()
    {
        for (Candidate& candidate : candidates_) {
            candidate.settled = candidate.sector.goodReads > 0;
        }
    }

    void AddSecondPass(const SectorReading& reading)
    {
        const std::optional<std::size_t> found = Find(reading, SecondPassPlaceCells);
        if (found && candidates_[*found].settled) {
            return;
        }
        Count(reading, found ? *found : NewCandidate(reading));
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
    std::size_t NewCandidate(const SectorReading& reading)
    {
        known_.emplace(SectorKey{IdKey(reading), reading.place}, candidates_.size());
        candidates_.emplace_back();
        candidates_.back().sector.place = reading.place;
        return candidates_.size() - 1;
    }

    void Count(const SectorReading& reading, std::size_t index)
    {
        Candidate& candidate = candidates_[index];
        candidate.lastRevolution = reading.revolution;
        ++candidate.sector.idReads;
        candidate.sector.dataReads += reading.data != DataRead::None ? 1 : 0;
        candidate.sector.goodReads += reading.data == DataRead::Good ? 1 : 0;
        // Readings come in revolution order: the first of the best kind stays.
        if (candidate.chosen == nullptr || reading.data > candidate.chosen->data) {
            candidate.chosen = &reading;
        }
    }

    // A candidate of the same ID near the same place, on either side of the
    // index, not yet read in this revolution.
    [[nodiscard]] std::optional<std::size_t> Find(const SectorReading& reading,
                                                  std::size_t placeCells = SamePlaceCells) const
    {
        const auto place = static_cast<std::int64_t>(reading.place);
        const auto reach = static_cast<std::int64_t>(placeCells);
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
                                           std::size_t revolutionCells, std::size_t firstSecondPass)
{
    Merger merger(revolutionCells);
    for (std::size_t i = 0; i < readings.sectors.size(); ++i) {
        if (i < firstSecondPass) {
            merger.Add(readings.sectors[i]);
            continue;
        }
        if (i == firstSecondPass) {
            merger.StartSecondPass();
        }
        merger.AddSecondPass(readings.sectors[i]);
    }
    return merger.Finish();
}
