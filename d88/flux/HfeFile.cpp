// HFE (HxC): a 512-byte header, a track list of (offset in 512-byte blocks,
// length in bytes) per cylinder, then each cylinder's cells (HfeCells.h).
#include <cstring>

#include "FluxFiles.h"
#include "FormatReaders.h"
#include "HfeCells.h"
#include "LittleEndian.h"

namespace {

constexpr std::size_t HeaderSize = 0x14;
constexpr std::size_t SignatureSize = 8;
constexpr std::size_t RevisionAt = 0x08;
constexpr std::size_t TracksAt = 0x09;
constexpr std::size_t SidesAt = 0x0A;
constexpr std::size_t BitRateAt = 0x0C;
constexpr std::size_t TrackListAt = 0x12;
constexpr std::uint64_t BlockSize = HfeSideBytes::BlockSize;
constexpr std::size_t SideSpan = HfeSideBytes::SideSpan;
constexpr std::size_t TrackEntrySize = 4;

class HfeSource final : public FluxSource {
public:
    HfeSource(ByteSource& source, bool version3, int sides, unsigned bitRateKbps,
              std::vector<unsigned char> trackList)
        : source_(source), version3_(version3), sides_(sides), cellNs_(5e5 / bitRateKbps),
          trackList_(std::move(trackList)), refused_(trackList_.size() / TrackEntrySize)
    {
        // No two cylinders share their blocks, so all of them together take
        // no more than the file: a cylinder that would take the total past it
        // is refused, and the cells decoded stay within the file's size
        // however the list points.
        const std::uint64_t size = source_.Size();
        std::uint64_t total = 0;
        for (std::size_t cylinder = 0; cylinder < refused_.size(); ++cylinder) {
            const std::uint64_t length = DecodeLe16(&trackList_[cylinder * TrackEntrySize + 2]);
            refused_[cylinder] = length > size - total;
            total += refused_[cylinder] ? 0 : length;
        }
    }

    [[nodiscard]] int TrackLimit() const override
    {
        return static_cast<int>(trackList_.size() / TrackEntrySize) * 2 - (2 - sides_);
    }

    bool ReadTrack(int trackIndex, FluxTrack& track) override;

private:
    ByteSource& source_;
    bool version3_;
    int sides_;
    double cellNs_;
    std::vector<unsigned char> trackList_;
    std::vector<bool> refused_;
};

bool HfeSource::ReadTrack(int trackIndex, FluxTrack& track)
{
    if (trackIndex < 0 || trackIndex >= TrackLimit()) {
        return false;
    }
    const auto cylinder = static_cast<std::size_t>(trackIndex / 2);
    const auto side = static_cast<std::size_t>(trackIndex % 2);
    if (refused_[cylinder]) {
        return false;
    }
    const unsigned char* entry = &trackList_[cylinder * TrackEntrySize];
    const std::size_t sideSize = DecodeLe16(entry + 2) / 2U;
    // Side 1 starts at +256 even in a partial last block.
    const std::size_t needed = sideSize == 0 ? 0
                                             : ((sideSize - 1) / SideSpan) * BlockSize +
                                                   side * SideSpan + (sideSize - 1) % SideSpan + 1;
    std::vector<unsigned char> blocks(needed);
    if (needed > 0 && !ReadExactly(source_, DecodeLe16(entry) * BlockSize, blocks.data(), needed)) {
        return false;
    }
    track.cylinder = trackIndex / 2;
    track.head = trackIndex % 2;
    track.tickNs = cellNs_;
    track.revolutions.resize(1);
    return DecodeHfeSide({blocks, side, sideSize}, version3_, cellNs_, track.revolutions[0]);
}

}  // namespace

std::unique_ptr<FluxSource> OpenHfe(ByteSource& source)
{
    unsigned char header[HeaderSize];
    if (!ReadExactly(source, 0, header, HeaderSize)) {
        return nullptr;
    }
    const bool version1 = std::memcmp(header, "HXCPICFE", SignatureSize) == 0;
    const bool version3 = std::memcmp(header, "HXCHFEV3", SignatureSize) == 0;
    const int sides = header[SidesAt];
    const unsigned bitRate = DecodeLe16(header + BitRateAt);
    const std::uint64_t listAt = DecodeLe16(header + TrackListAt) * BlockSize;
    if (!(version1 || version3) || header[RevisionAt] > 1 || header[TracksAt] == 0 || sides < 1 ||
        sides > 2 || bitRate == 0 || listAt == 0) {
        return nullptr;
    }
    std::vector<unsigned char> trackList(header[TracksAt] * TrackEntrySize);
    if (!ReadExactly(source, listAt, trackList.data(), trackList.size())) {
        return nullptr;
    }
    return std::make_unique<HfeSource>(source, version3, sides, bitRate, std::move(trackList));
}
