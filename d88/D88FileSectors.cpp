// D88File: finding and reading sectors by their ID in the current image.
//
// A track is found through the image's track table; its sectors are then
// walked header by header, each header followed by its data, once per
// selected image; every lookup then finds the first sector of its ID in the
// index that walk made. No walk leaves its image: a header must fit before
// the image's end, and data counts only up to it.
#include <algorithm>
#include <vector>

#include "D88File.h"
#include "LittleEndian.h"

namespace {

bool IsByte(std::int32_t value)
{
    return value >= 0 && value <= 0xFF;
}

// C, H, R and N, each 0..255, in one key.
std::uint32_t IdKey(std::uint32_t c, std::uint32_t h, std::uint32_t r, std::uint32_t n)
{
    return c << 24 | h << 16 | r << 8 | n;
}

std::uint32_t IdKeyOf(const unsigned char* header)
{
    return IdKey(header[d88::CylinderField], header[d88::HeadField], header[d88::RecordField],
                 header[d88::SizeCodeField]);
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

const TrackIndex& D88File::IndexedTrack(std::int32_t trackIndex)
{
    const std::uint64_t start = TrackStart(trackIndex);
    const auto indexed = trackIndexes_.find(start);
    if (indexed != trackIndexes_.end()) {
        return indexed->second;
    }
    TrackIndex track;
    for (TrackWalk walk = StartWalk(trackIndex); NextSector(walk);) {
        track.Add({walk.dataAt, IdKeyOf(walk.header), DecodeLe16(walk.header + d88::DataSizeField),
                   walk.header[d88::StatusField]});
    }
    track.Finish();
    // Every header takes 16 bytes of the image, so one index of each of its
    // sectors fits; tracks that walk the same headers again and again do not.
    const std::size_t budget = diskSize_ / d88::SectorHeaderSize + TrackCount;
    if (indexedSectors_ + track.Size() > budget) {
        unindexed_ = std::move(track);
        return unindexed_;
    }
    indexedSectors_ += track.Size();
    return trackIndexes_.emplace(start, std::move(track)).first->second;
}

const IndexedSector* D88File::FindSector(std::int32_t trackIndex, std::int32_t c, std::int32_t h,
                                         std::int32_t r, std::int32_t n)
{
    if (!IsByte(c) || !IsByte(h) || !IsByte(r) || !IsByte(n)) {
        return nullptr;
    }
    return IndexedTrack(trackIndex)
        .Find(IdKey(static_cast<std::uint32_t>(c), static_cast<std::uint32_t>(h),
                    static_cast<std::uint32_t>(r), static_cast<std::uint32_t>(n)));
}

std::int32_t D88File::ReadSector(std::int32_t trackIndex, std::int32_t c, std::int32_t h,
                                 std::int32_t r, std::int32_t n, unsigned char* dest,
                                 std::int32_t maxBytes, std::uint8_t* status)
{
    if (dest == nullptr || maxBytes < 0) {
        return 0;
    }
    const IndexedSector* sector = FindSector(trackIndex, c, h, r, n);
    if (sector == nullptr) {
        return 0;
    }
    if (status != nullptr) {
        *status = sector->status;
    }
    const auto length = std::min<std::uint64_t>(
        {sector->dataSize, static_cast<std::uint64_t>(maxBytes), ImageEnd() - sector->dataAt});
    // A file that ends inside the data yields fewer bytes: report only what
    // was stored.
    return static_cast<std::int32_t>(
        file_->ReadAt(sector->dataAt, dest, static_cast<std::size_t>(length)));
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
