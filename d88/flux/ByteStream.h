// Reads a span of a ByteSource byte by byte through a small buffer, so a
// track's flux is decoded as it is read, never held twice.
#pragma once

#include <cstdint>
#include <vector>

#include "ByteSource.h"

class ByteStream {
public:
    // The span [begin, end); bytes past the source's end are not there.
    ByteStream(ByteSource& source, std::uint64_t begin, std::uint64_t end)
        : source_(source), position_(begin), end_(end)
    {
    }

    // False at the end of the span or of the source.
    bool Next(unsigned char& byte)
    {
        if (next_ == filled_ && !Fill()) {
            return false;
        }
        byte = buffer_[next_++];
        ++position_;
        return true;
    }

    // The offset in the source of the byte Next gives next.
    [[nodiscard]] std::uint64_t Position() const { return position_; }

private:
    bool Fill();

    static constexpr std::size_t BufferSize = 16384;

    ByteSource& source_;
    std::uint64_t position_;
    std::uint64_t end_;
    std::vector<unsigned char> buffer_ = std::vector<unsigned char>(BufferSize);
    std::size_t next_ = 0;
    std::size_t filled_ = 0;
};
