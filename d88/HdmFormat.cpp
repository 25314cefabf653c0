// HDM: a raw 2HD image with no header, 77 cylinders x 2 heads x 8 sectors of
// 1,024 bytes, cylinder by cylinder, head by head, R = 1..8. Having no
// header, it is told by its exact size alone.
#include "FormatReaders.h"

namespace {

constexpr int Tracks = 77 * 2;
constexpr int Sectors = 8;
constexpr unsigned char SizeCode = 3;
constexpr std::uint64_t TrackSize = std::uint64_t{Sectors} * (128U << SizeCode);
constexpr std::uint64_t ImageSize = TrackSize * Tracks;

}  // namespace

std::optional<D88Bytes> ConvertHdm(ByteSource& source)
{
    if (source.Size() != ImageSize) {
        return std::nullopt;
    }
    D88ImageWriter writer(nullptr, 0, d88::Media2HD, false);
    for (int track = 0; track < Tracks; ++track) {
        if (!writer.AddPlainTrack(track, Sectors, SizeCode, false, source,
                                  TrackSize * static_cast<std::uint64_t>(track))) {
            break;
        }
    }
    return writer.Finish();
}
