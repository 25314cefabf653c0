// Fuzz target over the format readers: any bytes, in memory, are offered for
// conversion. Whatever they hold, a converted image must be a well-formed D88
// image: its disk size is its length, every track starts inside it, the
// sectors of the tracks tile it exactly with every sector header of a track
// giving the track's sector count, and it holds no more data than the input,
// or, from a format that stores a sector as one repeated byte, lets sectors
// share stored data or compresses (FDD, IMD, TD0), no track holds more than
// MaxTrackData bytes.
#include <vector>

#include "D88Layout.h"
#include "FormatReaders.h"
#include "FuzzCheck.h"
#include "FuzzTarget.h"
#include "ImageFormat.h"
#include "LittleEndian.h"

namespace {

using d88::SectorHeaderSize;

void CheckWellFormed(const std::vector<unsigned char>& image, std::size_t inputSize, bool expands)
{
    Require(image.size() >= d88::ImageHeaderSize &&
                DecodeLe32(&image[d88::DiskSizeField]) == image.size(),
            "the disk size is the image's length");
    std::size_t expectedAt = d88::ImageHeaderSize;
    std::size_t dataBytes = 0;
    for (std::size_t track = 0; track < d88::TrackCount; ++track) {
        std::size_t sectorAt =
            DecodeLe32(&image[d88::TrackTableField + d88::TrackEntrySize * track]);
        if (sectorAt == 0) {
            continue;
        }
        Require(sectorAt == expectedAt, "tracks follow one another in index order");
        Require(image.size() - sectorAt >= SectorHeaderSize,
                "a track starts with a whole sector header");
        const std::size_t count = DecodeLe16(&image[sectorAt + d88::SectorCountField]);
        Require(count > 0, "a recorded track holds a sector");
        const std::size_t trackData = dataBytes;
        for (std::size_t k = 0; k < count; ++k) {
            Require(image.size() - sectorAt >= SectorHeaderSize &&
                        DecodeLe16(&image[sectorAt + d88::SectorCountField]) == count,
                    "every sector header lies inside and gives the track's count");
            const std::size_t dataSize = DecodeLe16(&image[sectorAt + d88::DataSizeField]);
            Require(image.size() - sectorAt - SectorHeaderSize >= dataSize,
                    "every sector's data lies inside the image");
            dataBytes += dataSize;
            sectorAt += SectorHeaderSize + dataSize;
        }
        Require(!expands || dataBytes - trackData <= MaxTrackData,
                "no track holds more than MaxTrackData bytes");
        expectedAt = sectorAt;
    }
    Require(expectedAt == image.size(), "the tracks end where the image ends");
    Require(expands || dataBytes <= inputSize, "the image holds no more data than the input");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    MemoryByteSource source(std::vector<unsigned char>(data, data + size));
    const std::optional<ConvertedImage> converted = ConvertToD88(source);
    if (converted) {
        Require(converted->format != ImageFormat::D88,
                "a converted image comes from another format");
        const bool expands = converted->format == ImageFormat::Fdd ||
                             converted->format == ImageFormat::Imd ||
                             converted->format == ImageFormat::Td0;
        CheckWellFormed(converted->d88, size, expands);
    }
    return 0;
}
