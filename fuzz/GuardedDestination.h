// A destination for reader calls inside a larger block, with guard bytes right
// before and right after it, filled with one byte value before each call, so
// that a check can tell every byte a call wrote.
#pragma once

#include <cstddef>
#include <vector>

class GuardedDestination {
public:
    GuardedDestination(std::size_t capacity, unsigned char fill);

    // Fills the first `size` bytes and guards them; returns their start.
    unsigned char* Prepare(std::size_t size);

    unsigned char* Data() { return block_.data() + GuardSize; }
    [[nodiscard]] const unsigned char* Data() const { return block_.data() + GuardSize; }

    // The guards are intact and every byte from `written` on still holds the
    // filling.
    [[nodiscard]] bool OnlyFirstBytesWritten(std::size_t written) const;

private:
    static constexpr std::size_t GuardSize = 32;
    static constexpr unsigned char GuardByte = 0xE7;

    std::vector<unsigned char> block_;
    unsigned char fill_;
    std::size_t size_ = 0;
};
