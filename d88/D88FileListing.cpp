// D88File: listing the sector headers of a track, walked afresh as far as the
// listing goes, and the header fields the sector reads do not need, for
// programs that show what an image holds.
#include <algorithm>
#include <cstring>

#include "D88File.h"
#include "LittleEndian.h"

namespace {

SectorHeaderInfo HeaderInfoOf(const unsigned char* header, std::uint64_t dataAt,
                              std::uint64_t heldEnd)
{
    SectorHeaderInfo info{};
    info.c = header[d88::CylinderField];
    info.h = header[d88::HeadField];
    info.r = header[d88::RecordField];
    info.n = header[d88::SizeCodeField];
    info.sectorCount = DecodeLe16(header + d88::SectorCountField);
    info.density = header[d88::DensityField];
    info.deletedMark = header[d88::DeletedMarkField];
    info.status = header[d88::StatusField];
    info.dataSize = DecodeLe16(header + d88::DataSizeField);
    const std::uint64_t held = heldEnd > dataAt ? heldEnd - dataAt : 0;
    info.dataBytesHeld = static_cast<std::uint16_t>(std::min<std::uint64_t>(info.dataSize, held));
    return info;
}

}  // namespace

bool D88File::ReadSectorHeaders(std::int32_t trackIndex, std::size_t maxSectors,
                                std::vector<SectorHeaderInfo>& headers)
{
    headers.clear();
    if (TrackStart(trackIndex) == 0) {
        return false;
    }
    // Data is held up to the image's end or the file's, whichever is first.
    const std::uint64_t heldEnd = std::min(ImageEnd(), file_->Size());
    for (TrackWalk walk = StartWalk(trackIndex); headers.size() < maxSectors && NextSector(walk);) {
        headers.push_back(HeaderInfoOf(walk.header, walk.dataAt, heldEnd));
    }
    return true;
}

std::int32_t D88File::ReadSectorIds(std::int32_t trackIndex, unsigned char* dest,
                                    std::int32_t destBytes)
{
    // C, H, R and N are the first four bytes of a sector header.
    constexpr std::int32_t IdSize = 4;
    static_assert(d88::CylinderField == 0 && d88::HeadField == 1 && d88::RecordField == 2 &&
                  d88::SizeCodeField == 3);
    if (dest == nullptr || destBytes < 0) {
        return 0;
    }
    std::int32_t stored = 0;
    for (TrackWalk walk = StartWalk(trackIndex); destBytes - stored >= IdSize && NextSector(walk);
         stored += IdSize) {
        std::memcpy(dest + stored, walk.header, IdSize);
    }
    return stored;
}

std::int32_t D88File::ReadWriteProtect()
{
    unsigned char flag = 0;
    if (file_ == nullptr || imageOffset_ < 0 ||
        !ReadFull(static_cast<std::uint64_t>(imageOffset_) + d88::WriteProtectField, &flag, 1)) {
        return -1;
    }
    return flag;
}
