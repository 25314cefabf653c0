// D88File: finding and reading sectors by their ID in the current image.
//
// A track is found through the image's track table; its sectors are then
// walked header by header, each header followed by its data, once per
// selected image; every lookup then finds the first sector of its ID in that
// list. No walk leaves its image: a header must fit before the image's end,
// and data counts only up to it.
#include <algorithm>
#include <vector>

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

std::uint64_t D88File::ImageEnd() const
{
    return static_cast<std::uint64_t>(imageOffset_) + diskSize_;
}

std::uint64_t D88File::TrackStart(std::int32_t trackIndex) const
{
    if (file_ == nullptr || imageOffset_ < 0 || trackIndex < 0 || trackIndex >= TrackCount) {
        return 0;
    }
    const std::uint32_t entry = trackTable_[static_cast<std::size_t>(trackIndex)];
    // 0 marks a track that is not recorded; an entry may point at the very
    // end of the image, but not beyond it.
    if (entry == 0 || entry > diskSize_) {
        return 0;
    }
    return static_cast<std::uint64_t>(imageOffset_) + entry;
}

D88File::TrackWalk D88File::StartWalk(std::int32_t trackIndex) const
{
    const std::uint64_t start = TrackStart(trackIndex);
    return {start, start == 0 ? 0 : ImageEnd(), 0, start == 0, {}, 0};
}

// Each header says how many sectors its track has; the walk trusts each in
// turn. It ends at a header whose count is 0, after the header that
// completes its count, at data running past the image's end, and at the end
// of the image or of the file.
bool D88File::NextSector(TrackWalk& walk)
{
    if (walk.done || walk.end - walk.position < d88::SectorHeaderSize ||
        !ReadFull(walk.position, walk.header, d88::SectorHeaderSize)) {
        walk.done = true;
        return false;
    }
    const std::uint16_t sectorCount = DecodeLe16(walk.header + d88::SectorCountField);
    if (sectorCount == 0) {
        walk.done = true;
        return false;
    }
    walk.position += d88::SectorHeaderSize;
    walk.dataAt = walk.position;
    ++walk.walked;
    const std::uint16_t dataSize = DecodeLe16(walk.header + d88::DataSizeField);
    if (walk.end - walk.position < dataSize || walk.walked == sectorCount) {
        walk.done = true;
    } else {
        walk.position += dataSize;
    }
    return true;
}

const std::vector<D88File::TrackSector>& D88File::TrackSectors(std::int32_t trackIndex)
{
    const std::uint64_t start = TrackStart(trackIndex);
    const auto listed = trackLists_.find(start);
    if (listed != trackLists_.end()) {
        return listed->second;
    }
    std::vector<TrackSector> sectors;
    if (start != 0) {
        // Data is held up to the image's end or the file's, whichever is first.
        const std::uint64_t heldEnd = std::min(ImageEnd(), file_->Size());
        for (TrackWalk walk = StartWalk(trackIndex); NextSector(walk);) {
            sectors.push_back({HeaderInfoOf(walk.header, walk.dataAt, heldEnd), walk.dataAt});
        }
    }
    // Every header takes 16 bytes of the image, so one list of each of its
    // sectors fits; tracks that walk the same headers again and again do not.
    const std::size_t budget = diskSize_ / d88::SectorHeaderSize + TrackCount;
    if (listedSectors_ + sectors.size() > budget) {
        unlisted_ = std::move(sectors);
        return unlisted_;
    }
    listedSectors_ += sectors.size();
    return trackLists_.emplace(start, std::move(sectors)).first->second;
}

std::int32_t D88File::ReadSector(std::int32_t trackIndex, std::int32_t c, std::int32_t h,
                                 std::int32_t r, std::int32_t n, unsigned char* dest,
                                 std::int32_t maxBytes, std::uint8_t* status)
{
    if (dest == nullptr || maxBytes < 0) {
        return 0;
    }
    for (const TrackSector& sector : TrackSectors(trackIndex)) {
        const SectorHeaderInfo& info = sector.info;
        if (info.c == c && info.h == h && info.r == r && info.n == n) {
            if (status != nullptr) {
                *status = info.status;
            }
            const auto length = std::min<std::uint64_t>(
                {info.dataSize, static_cast<std::uint64_t>(maxBytes), ImageEnd() - sector.dataAt});
            // A file that ends inside the data yields fewer bytes: report
            // only what was stored.
            return static_cast<std::int32_t>(
                file_->ReadAt(sector.dataAt, dest, static_cast<std::size_t>(length)));
        }
    }
    return 0;
}

std::int32_t D88File::ReadSectors(std::int32_t trackIndex, std::int32_t c, std::int32_t h,
                                  std::int32_t r, std::int32_t n, SectorRange range,
                                  unsigned char* dest, std::int32_t totalBytes,
                                  std::vector<SectorRead>* sectors)
{
    if (dest == nullptr || totalBytes < 0 || n < 0 || n > d88::MaxSizeCode) {
        return 0;
    }
    const std::int32_t sectorSize = 128 << n;
    std::int32_t done = 0;
    while (done < totalBytes) {
        const std::int32_t chunk = std::min(sectorSize, totalBytes - done);
        std::uint8_t status = 0;
        if (ReadSector(trackIndex, c, h, r, n, dest + done, chunk, &status) < chunk) {
            break;
        }
        done += chunk;
        if (sectors != nullptr) {
            // A sector was found, so C, H, R and N are byte values.
            sectors->push_back({trackIndex, static_cast<std::uint8_t>(c),
                                static_cast<std::uint8_t>(h), static_cast<std::uint8_t>(r),
                                static_cast<std::uint8_t>(n), status});
        }
        // A sector was found, so C, H and R are byte values and the track
        // index is at most 163: none of the steps below can overflow.
        if (r == range.last) {
            ++trackIndex;
            if (h == 0) {
                h = 1;
            } else {
                h = 0;
                ++c;
            }
            r = range.first;
        } else {
            ++r;
        }
    }
    return done;
}

std::int32_t D88File::ReadSectorIds(std::int32_t trackIndex, unsigned char* dest,
                                    std::int32_t destBytes)
{
    if (dest == nullptr || destBytes < 0) {
        return 0;
    }
    constexpr std::size_t IdSize = 4;
    std::vector<SectorHeaderInfo> headers;
    ReadSectorHeaders(trackIndex, static_cast<std::size_t>(destBytes) / IdSize, headers);
    for (const SectorHeaderInfo& header : headers) {
        *dest++ = header.c;
        *dest++ = header.h;
        *dest++ = header.r;
        *dest++ = header.n;
    }
    return static_cast<std::int32_t>(headers.size() * IdSize);
}
