// D88File: listing the sector headers of a track and the header fields the
// sector reads do not need, for programs that show what an image holds.
#include <algorithm>

#include "D88File.h"

bool D88File::ReadSectorHeaders(std::int32_t trackIndex, std::size_t maxSectors,
                                std::vector<SectorHeaderInfo>& headers)
{
    headers.clear();
    if (TrackStart(trackIndex) == 0) {
        return false;
    }
    const std::vector<TrackSector>& sectors = WalkedTrack(trackIndex).sectors;
    const std::size_t count = std::min(sectors.size(), maxSectors);
    headers.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        headers.push_back(sectors[i].info);
    }
    return true;
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
