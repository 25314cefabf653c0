// TrackIndex: the sectors of one walked track as lookups see them.
//
// A lookup by ID finds the first sector of that ID in the track, so only the
// first of each ID is kept, in walk order. A real track holds a few dozen
// sectors and is searched from its start; a track of more IDs than that
// (only a hostile image has one) also gets a hash table of their places, so
// that every lookup costs the same however long the track.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// What a lookup needs of a sector: where its data starts, its ID (C, H, R,
// N) as one key, the data size and the status its header records.
struct IndexedSector {
    std::uint64_t dataAt;
    std::uint32_t idKey;
    std::uint16_t dataSize;
    std::uint8_t status;
};

class TrackIndex {
public:
    // The first sector added with `idKey`, or null.
    [[nodiscard]] const IndexedSector* Find(std::uint32_t idKey) const;
    // Adds the sector unless a sector of its ID is in the index already.
    void Add(const IndexedSector& sector);
    [[nodiscard]] std::size_t Size() const { return sectors_.size(); }

private:
    // The slot that holds `idKey`, or the empty slot where it would go.
    [[nodiscard]] std::size_t SlotFor(std::uint32_t idKey) const;
    void Rehash(std::size_t slotCount);

    std::vector<IndexedSector> sectors_;
    // Open addressing: a slot holds a place in `sectors_` plus one, or 0
    // when empty. Kept at most three quarters full; empty while the track is
    // short.
    std::vector<std::uint32_t> slots_;
};
