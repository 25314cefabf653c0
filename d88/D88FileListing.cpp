// D88File: listing the sector headers of a track and the header fields the
// sector reads do not need, for programs that show what an image holds.
#include <algorithm>

#include "D88File.h"
#include "LittleEndian.h"

namespace {

// Fields of the 16-byte sector header and of the image header.
constexpr int SectorCountOffset = 4;
constexpr int DensityOffset = 6;
constexpr int DeletedMarkOffset = 7;
constexpr int StatusOffset = 8;
constexpr int DataSizeOffset = 14;
constexpr int WriteProtectOffset = 0x1A;

}  // namespace

bool D88File::ReadSectorHeaders(std::int32_t trackIndex, std::size_t maxSectors,
                                std::vector<SectorHeaderInfo>& headers)
{
    headers.clear();
    std::uint64_t position = TrackStart(trackIndex);
    if (position == 0) {
        return false;
    }
    // Data is held up to the image's end or the file's, whichever is first.
    const std::uint64_t end = ImageEnd();
    const std::uint64_t heldEnd = std::min(end, file_->Size());
    unsigned char header[SectorHeaderSize];
    // The walk ends at the end of the image or of the file, at data running
    // past the image's end, or at the sector count of the header just
    // listed; a count of 0 does not end it.
    while (headers.size() < maxSectors && end - position >= SectorHeaderSize &&
           ReadFull(position, header, SectorHeaderSize)) {
        position += SectorHeaderSize;
        SectorHeaderInfo info{};
        info.c = header[0];
        info.h = header[1];
        info.r = header[2];
        info.n = header[3];
        info.sectorCount = DecodeLe16(header + SectorCountOffset);
        info.density = header[DensityOffset];
        info.deletedMark = header[DeletedMarkOffset];
        info.status = header[StatusOffset];
        info.dataSize = DecodeLe16(header + DataSizeOffset);
        const std::uint64_t held = heldEnd > position ? heldEnd - position : 0;
        info.dataBytesHeld =
            static_cast<std::uint16_t>(std::min<std::uint64_t>(info.dataSize, held));
        headers.push_back(info);
        if (end - position < info.dataSize || headers.size() == info.sectorCount) {
            break;
        }
        position += info.dataSize;
    }
    return true;
}

std::int32_t D88File::ReadWriteProtect()
{
    unsigned char flag = 0;
    if (file_ == nullptr || imageOffset_ < 0 ||
        !ReadFull(static_cast<std::uint64_t>(imageOffset_) + WriteProtectOffset, &flag, 1)) {
        return -1;
    }
    return flag;
}
