// The fuzz build leaves this file out of the coverage feedback and the
// sanitizers: it only fills and compares the harness's own block, up to 64 KB
// twice for every reader call. With the sanitizers' checks of every memcmp, or
// of every byte (which keeps the compares from being vectorised), that cost
// more than the reads being checked.
#include "GuardedDestination.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "FuzzCheck.h"

namespace {

// A word at a time and without an early exit, so that it compiles to wide
// compares.
bool AllBytesAre(const unsigned char* bytes, std::size_t count, unsigned char value)
{
    const std::uint64_t pattern = std::uint64_t{value} * 0x0101010101010101U;
    std::uint64_t difference = 0;
    std::size_t offset = 0;
    for (; offset + sizeof pattern <= count; offset += sizeof pattern) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes + offset, sizeof word);
        difference |= word ^ pattern;
    }
    for (; offset < count; ++offset) {
        difference |= static_cast<std::uint64_t>(bytes[offset] ^ value);
    }
    return difference == 0;
}

}  // namespace

GuardedDestination::GuardedDestination(std::size_t capacity, unsigned char fill)
    : block_(capacity + 2 * GuardSize), fill_(fill)
{
}

unsigned char* GuardedDestination::Prepare(std::size_t size)
{
    Require(size + 2 * GuardSize <= block_.size(), "harness: the destination fits its block");
    size_ = size;
    unsigned char* const data = Data();
    std::fill(block_.data(), data, GuardByte);
    std::fill(data, data + size, fill_);
    std::fill(data + size, data + size + GuardSize, GuardByte);
    return data;
}

bool GuardedDestination::OnlyFirstBytesWritten(std::size_t written) const
{
    const unsigned char* const data = Data();
    return written <= size_ && AllBytesAre(block_.data(), GuardSize, GuardByte) &&
           AllBytesAre(data + written, size_ - written, fill_) &&
           AllBytesAre(data + size_, GuardSize, GuardByte);
}
