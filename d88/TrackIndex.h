// TrackIndex: the sectors of one walked track as lookups see them.
//
// A lookup by ID finds the first sector of that ID in the track. A real
// track holds a few dozen sectors and is searched from its start. A longer
// one (only a hostile image has one) also gets its IDs sorted, each with the
// place of its first sector, so that a lookup costs a binary search however
// long the track; the sort is a radix sort, linear in the track whatever IDs
// it holds.
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
    // Adds the walk's next sector: a run of one ID, as a track of empty
    // headers is, is kept once.
    void Add(const IndexedSector& sector);
    // Ends the walk: a long track's IDs are sorted for lookups.
    void Finish();
    // The first sector added with `idKey`, or null.
    [[nodiscard]] const IndexedSector* Find(std::uint32_t idKey) const;
    [[nodiscard]] std::size_t Size() const { return sectors_.size(); }

private:
    std::vector<IndexedSector> sectors_;
    // For a long track, each ID once with the place of its first sector in
    // `sectors_`, as idKey << 32 | place, in ID order; empty otherwise.
    std::vector<std::uint64_t> firstOfEachId_;
};
