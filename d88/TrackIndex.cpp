#include "TrackIndex.h"

namespace {

// A track of more IDs than this gets its hash table; searching fewer from
// the start is quickest.
constexpr std::size_t LongestSearchedTrack = 32;
constexpr std::size_t FirstSlotCount = 4 * LongestSearchedTrack;

// Fibonacci hashing: IDs that differ only in R or N spread over the table.
std::size_t SlotOf(std::uint32_t idKey, std::size_t mask)
{
    const std::uint32_t mixed = idKey * 0x9E3779B1U;
    return (mixed ^ mixed >> 16) & mask;
}

}  // namespace

const IndexedSector* TrackIndex::Find(std::uint32_t idKey) const
{
    if (slots_.empty()) {
        for (const IndexedSector& sector : sectors_) {
            if (sector.idKey == idKey) {
                return &sector;
            }
        }
        return nullptr;
    }
    const std::uint32_t placePlusOne = slots_[SlotFor(idKey)];
    return placePlusOne == 0 ? nullptr : &sectors_[placePlusOne - 1];
}

void TrackIndex::Add(const IndexedSector& sector)
{
    if (slots_.empty()) {
        if (Find(sector.idKey) != nullptr) {
            return;
        }
        sectors_.push_back(sector);
        if (sectors_.size() > LongestSearchedTrack) {
            Rehash(FirstSlotCount);
        }
        return;
    }
    std::uint32_t& slot = slots_[SlotFor(sector.idKey)];
    if (slot != 0) {
        return;
    }
    sectors_.push_back(sector);
    // Every sector takes 16 bytes of an image of at most 4 GiB, so a track
    // holds fewer than 2^28.
    slot = static_cast<std::uint32_t>(sectors_.size());
    if (4 * sectors_.size() > 3 * slots_.size()) {
        Rehash(2 * slots_.size());
    }
}

std::size_t TrackIndex::SlotFor(std::uint32_t idKey) const
{
    const std::size_t mask = slots_.size() - 1;
    std::size_t slot = SlotOf(idKey, mask);
    while (slots_[slot] != 0 && sectors_[slots_[slot] - 1].idKey != idKey) {
        slot = (slot + 1) & mask;
    }
    return slot;
}

void TrackIndex::Rehash(std::size_t slotCount)
{
    slots_.assign(slotCount, 0);
    for (std::size_t place = 0; place < sectors_.size(); ++place) {
        slots_[SlotFor(sectors_[place].idKey)] = static_cast<std::uint32_t>(place + 1);
    }
}
