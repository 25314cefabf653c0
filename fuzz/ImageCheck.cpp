#include "ImageCheck.h"

#include "D88Layout.h"
#include "FormatReaders.h"
#include "FuzzCheck.h"
#include "LittleEndian.h"

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
