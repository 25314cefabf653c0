#include "ByteStream.h"

#include <algorithm>

bool ByteStream::Fill()
{
    if (position_ >= end_) {
        return false;
    }
    const auto wanted =
        static_cast<std::size_t>(std::min<std::uint64_t>(BufferSize, end_ - position_));
    filled_ = source_.ReadAt(position_, buffer_.data(), wanted);
    next_ = 0;
    return filled_ > 0;
}
