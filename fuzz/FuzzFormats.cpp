// Fuzz target over the format readers: any bytes, in memory, are offered for
// conversion. Whatever they hold, a converted image must be a well-formed D88
// image: its disk size is its length, every track starts inside it, the
// sectors of the tracks tile it exactly with every sector header of a track
// giving the track's sector count, and it holds no more data than the input
// (TD0 aside, whose repeated patterns and compression expand).
#include <vector>

#include "FuzzCheck.h"
#include "FuzzTarget.h"
#include "ImageFormat.h"
#include "LittleEndian.h"

namespace {

constexpr std::size_t HeaderSize = 0x2B0;
constexpr std::size_t SectorHeaderSize = 16;
constexpr std::size_t TrackCount = 164;

void CheckWellFormed(const std::vector<unsigned char>& image, std::size_t inputSize, bool expands)
{
    Require(image.size() >= HeaderSize && DecodeLe32(&image[0x1C]) == image.size(),
            "the disk size is the image's length");
    std::size_t expectedAt = HeaderSize;
    std::size_t dataBytes = 0;
    for (std::size_t track = 0; track < TrackCount; ++track) {
        std::size_t sectorAt = DecodeLe32(&image[0x20 + 4 * track]);
        if (sectorAt == 0) {
            continue;
        }
        Require(sectorAt == expectedAt, "tracks follow one another in index order");
        Require(image.size() - sectorAt >= SectorHeaderSize,
                "a track starts with a whole sector header");
        const std::size_t count = DecodeLe16(&image[sectorAt + 4]);
        Require(count > 0, "a recorded track holds a sector");
        for (std::size_t k = 0; k < count; ++k) {
            Require(image.size() - sectorAt >= SectorHeaderSize &&
                        DecodeLe16(&image[sectorAt + 4]) == count,
                    "every sector header lies inside and gives the track's count");
            const std::size_t dataSize = DecodeLe16(&image[sectorAt + 14]);
            Require(image.size() - sectorAt - SectorHeaderSize >= dataSize,
                    "every sector's data lies inside the image");
            dataBytes += dataSize;
            sectorAt += SectorHeaderSize + dataSize;
        }
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
        CheckWellFormed(converted->d88, size, converted->format == ImageFormat::Td0);
    }
    return 0;
}
