// D88File: finding and reading sectors by their ID in the current image.
//
// A track is found through the image's track table; its sectors are then
// walked header by header, each header followed by its data, until the ID
// matches or the track's sector count is reached. Nothing is cached: each
// call walks the track from its first sector. No walk leaves its image: a
// header must fit before the image's end, and data counts only up to it.
#include <algorithm>
#include <vector>

#include "D88File.h"
#include "LittleEndian.h"

namespace {

// Fields of the 16-byte sector header.
constexpr int SectorCountOffset = 4;
constexpr int DataSizeOffset = 14;

bool HasId(const unsigned char* header, std::int32_t c, std::int32_t h, std::int32_t r,
           std::int32_t n)
{
    return header[0] == c && header[1] == h && header[2] == r && header[3] == n;
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

std::int32_t D88File::ReadSector(std::int32_t trackIndex, std::int32_t c, std::int32_t h,
                                 std::int32_t r, std::int32_t n, unsigned char* dest,
                                 std::int32_t maxBytes)
{
    std::uint64_t position = TrackStart(trackIndex);
    if (dest == nullptr || maxBytes < 0 || position == 0) {
        return 0;
    }
    const std::uint64_t end = ImageEnd();
    unsigned char header[SectorHeaderSize];
    // Each header says how many sectors its track has; the walk trusts each
    // in turn, and the end of the image or of the file ends it.
    for (std::uint64_t walked = 1;; ++walked) {
        if (end - position < SectorHeaderSize || !ReadFull(position, header, SectorHeaderSize)) {
            return 0;
        }
        position += SectorHeaderSize;
        const std::uint16_t sectorCount = DecodeLe16(header + SectorCountOffset);
        if (sectorCount == 0) {
            return 0;
        }
        const std::uint16_t dataSize = DecodeLe16(header + DataSizeOffset);
        if (HasId(header, c, h, r, n)) {
            const auto length = std::min<std::uint64_t>(
                {dataSize, static_cast<std::uint64_t>(maxBytes), end - position});
            // A file that ends inside the data yields fewer bytes: report
            // only what was stored.
            return static_cast<std::int32_t>(
                file_->ReadAt(position, dest, static_cast<std::size_t>(length)));
        }
        // Data that runs past the image's end leaves no room for a header.
        if (end - position < dataSize || walked == sectorCount) {
            return 0;
        }
        position += dataSize;
    }
}

std::int32_t D88File::ReadSectors(std::int32_t trackIndex, std::int32_t c, std::int32_t h,
                                  std::int32_t r, std::int32_t n, unsigned char* dest,
                                  std::int32_t totalBytes)
{
    if (dest == nullptr || totalBytes < 0 || n < 0 || n > MaxSizeCode) {
        return 0;
    }
    const std::int32_t sectorSize = 128 << n;
    std::int32_t done = 0;
    while (done < totalBytes) {
        const std::int32_t chunk = std::min(sectorSize, totalBytes - done);
        if (ReadSector(trackIndex, c, h, r, n, dest + done, chunk) < chunk) {
            break;
        }
        done += chunk;
        // A sector was found, so C, H and R are byte values and the track
        // index is at most 163: none of the steps below can overflow.
        if (r == lastSector_) {
            ++trackIndex;
            if (h == 0) {
                h = 1;
            } else {
                h = 0;
                ++c;
            }
            r = firstSector_;
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
    // The listing walks the track as it always did: a sector count of 0,
    // unlike in ReadSector, does not end it.
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
