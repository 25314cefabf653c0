// The bit cells a PLL clocked out of a track's flux, all revolutions as one
// stream so that a sector across the index stays whole, with the cell at
// which each revolution starts. A 1 is a flux transition.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

class CellStream {
public:
    // Makes room for the cells up to `cells`, none of them a transition yet.
    void MakeRoom(std::size_t cells)
    {
        if (WordCount(cells) > words_.size()) {
            words_.resize(std::max(WordCount(cells), 2 * words_.size()), 0);
        }
    }

    // Cell `index`, within the room made, holds a transition.
    void SetTransition(std::size_t index)
    {
        words_[index / WordBits] |= TopBit >> (index % WordBits);
    }

    // The stream holds `cells` cells, within the room made.
    void End(std::size_t cells)
    {
        size_ = cells;
        words_.resize(WordCount(cells));
    }

    void StartRevolution(std::size_t cell) { revolutionStarts_.push_back(cell); }

    [[nodiscard]] std::size_t Size() const { return size_; }

    // Cell `index`, which must lie below Size().
    [[nodiscard]] bool Cell(std::size_t index) const
    {
        return (words_[index / WordBits] & (TopBit >> (index % WordBits))) != 0;
    }

    // Cells 64 * index to 64 * index + 63, the earliest in the most
    // significant bit; cells past the end are zeros.
    [[nodiscard]] std::uint64_t Word(std::size_t index) const
    {
        return index < words_.size() ? words_[index] : 0;
    }

    [[nodiscard]] const std::vector<std::size_t>& RevolutionStarts() const
    {
        return revolutionStarts_;
    }

    static constexpr std::size_t WordBits = 64;
    static constexpr std::uint64_t TopBit = std::uint64_t{1} << (WordBits - 1);

private:
    static std::size_t WordCount(std::size_t cells) { return (cells + WordBits - 1) / WordBits; }

    std::vector<std::uint64_t> words_;
    std::size_t size_ = 0;
    std::vector<std::size_t> revolutionStarts_;
};
