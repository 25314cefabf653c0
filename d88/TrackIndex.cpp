#include "TrackIndex.h"

#include <algorithm>
#include <array>
#include <numeric>

namespace {

// A track of more sectors than this gets its IDs sorted; searching fewer
// from the start is quickest.
constexpr std::size_t LongestSearchedTrack = 32;
constexpr unsigned PlaceBits = 32;
constexpr std::uint64_t PlaceMask = (std::uint64_t{1} << PlaceBits) - 1;

// A stable sort by the ID in the high half, a byte at a time: entries of one
// ID keep their walk order. Each byte's counts come from one pass, and a
// byte that all entries share is not sorted by.
void SortByIdKey(std::vector<std::uint64_t>& entries)
{
    constexpr std::size_t IdBytes = 4;
    std::array<std::array<std::size_t, 257>, IdBytes> starts{};
    for (const std::uint64_t entry : entries) {
        for (std::size_t byte = 0; byte < IdBytes; ++byte) {
            ++starts[byte][((entry >> (PlaceBits + 8 * byte)) & 0xFF) + 1];
        }
    }
    std::vector<std::uint64_t> sorted(entries.size());
    for (std::size_t byte = 0; byte < IdBytes; ++byte) {
        std::array<std::size_t, 257>& start = starts[byte];
        if (std::find(start.begin(), start.end(), entries.size()) != start.end()) {
            continue;
        }
        std::partial_sum(start.begin(), start.end(), start.begin());
        const std::size_t shift = PlaceBits + 8 * byte;
        for (const std::uint64_t entry : entries) {
            sorted[start[(entry >> shift) & 0xFF]++] = entry;
        }
        entries.swap(sorted);
    }
}

}  // namespace

void TrackIndex::Add(const IndexedSector& sector)
{
    if (sectors_.empty() || sectors_.back().idKey != sector.idKey) {
        sectors_.push_back(sector);
    }
}

void TrackIndex::Finish()
{
    if (sectors_.size() <= LongestSearchedTrack) {
        return;
    }
    // Every sector takes 16 bytes of an image of at most 4 GiB, so its place
    // fits in 32 bits.
    firstOfEachId_.resize(sectors_.size());
    for (std::size_t place = 0; place < sectors_.size(); ++place) {
        firstOfEachId_[place] = std::uint64_t{sectors_[place].idKey} << PlaceBits | place;
    }
    SortByIdKey(firstOfEachId_);
    const auto sameId = [](std::uint64_t left, std::uint64_t right) {
        return left >> PlaceBits == right >> PlaceBits;
    };
    firstOfEachId_.erase(std::unique(firstOfEachId_.begin(), firstOfEachId_.end(), sameId),
                         firstOfEachId_.end());
}

const IndexedSector* TrackIndex::Find(std::uint32_t idKey) const
{
    if (firstOfEachId_.empty()) {
        const auto found =
            std::find_if(sectors_.begin(), sectors_.end(),
                         [idKey](const IndexedSector& sector) { return sector.idKey == idKey; });
        return found == sectors_.end() ? nullptr : &*found;
    }
    const std::uint64_t first = std::uint64_t{idKey} << PlaceBits;
    const auto found = std::lower_bound(firstOfEachId_.begin(), firstOfEachId_.end(), first);
    if (found == firstOfEachId_.end() || *found >> PlaceBits != idKey) {
        return nullptr;
    }
    return &sectors_[static_cast<std::size_t>(*found & PlaceMask)];
}
