// DCP/DCU: a media type byte, a map of 160 tracks (1 stored, 0 not), an
// "all tracks stored" flag, then the stored tracks' raw sectors in track
// order, R = 1..spt.
//
// The file is DCP/DCU only when the media type is known, every map byte and
// the flag are 0 or 1, and the data is exactly the tracks the map marks
// (then only those are present) or exactly the whole disk (then every track
// is, whatever the map and the flag say: writers are known to get both wrong).
#include <array>

#include "FormatReaders.h"

namespace {

constexpr std::size_t HeaderSize = 0xA2;
constexpr std::size_t MapAt = 1;
constexpr std::size_t MapLength = 160;
constexpr std::size_t FlagAt = 0xA1;

struct DcpMedia {
    unsigned char type;
    int cylinders;
    int sectors;
    unsigned char n;
    unsigned char mediaType;
    // BASIC 2HD: track 0 holds 26 FM sectors of 128 bytes.
    bool basicTrackZero;
};

constexpr std::array<DcpMedia, 9> MediaTable{{
    {0x01, 77, 8, 3, d88::Media2HD, false},
    {0x02, 80, 15, 2, d88::Media2HD, false},
    {0x03, 80, 18, 2, d88::Media2HD, false},
    {0x04, 80, 8, 2, d88::Media2DD, false},
    {0x05, 80, 9, 2, d88::Media2DD, false},
    {0x08, 80, 9, 3, d88::Media2HD, false},
    {0x11, 77, 26, 1, d88::Media2HD, true},
    {0x19, 80, 16, 1, d88::Media2DD, false},
    {0x21, 80, 26, 1, d88::Media2HD, false},
}};

constexpr int BasicTrackZeroSectors = 26;

const DcpMedia* MediaOf(unsigned char type)
{
    for (const DcpMedia& media : MediaTable) {
        if (media.type == type) {
            return &media;
        }
    }
    return nullptr;
}

std::uint64_t TrackSize(const DcpMedia& media, int track)
{
    if (media.basicTrackZero && track == 0) {
        return std::uint64_t{BasicTrackZeroSectors} * 128;
    }
    return static_cast<std::uint64_t>(media.sectors) * (std::uint64_t{128} << media.n);
}

bool AddTrack(D88ImageWriter& writer, const DcpMedia& media, int track, ByteSource& source,
              std::uint64_t offset)
{
    if (media.basicTrackZero && track == 0) {
        return writer.AddPlainTrack(track, BasicTrackZeroSectors, 0, true, source, offset);
    }
    return writer.AddPlainTrack(track, media.sectors, media.n, false, source, offset);
}

}  // namespace

std::optional<D88Bytes> ConvertDcp(ByteSource& source)
{
    unsigned char header[HeaderSize];
    if (!ReadExactly(source, 0, header, HeaderSize)) {
        return std::nullopt;
    }
    const DcpMedia* media = MediaOf(header[0]);
    if (media == nullptr || header[FlagAt] > 1) {
        return std::nullopt;
    }
    const int tracks = media->cylinders * 2;
    std::array<bool, MapLength> stored{};
    std::uint64_t mapSize = 0;
    std::uint64_t fullSize = 0;
    for (std::size_t track = 0; track < MapLength; ++track) {
        const unsigned char mark = header[MapAt + track];
        if (mark > 1) {
            return std::nullopt;
        }
        if (static_cast<int>(track) < tracks) {
            const std::uint64_t size = TrackSize(*media, static_cast<int>(track));
            stored[track] = mark == 1;
            mapSize += stored[track] ? size : 0;
            fullSize += size;
        }
    }
    const std::uint64_t dataSize = source.Size() - HeaderSize;
    if (dataSize != mapSize) {
        if (dataSize != fullSize) {
            return std::nullopt;
        }
        stored.fill(true);
    }
    D88ImageWriter writer(nullptr, 0, media->mediaType, false);
    std::uint64_t offset = HeaderSize;
    for (int track = 0; track < tracks; ++track) {
        if (!stored[static_cast<std::size_t>(track)]) {
            continue;
        }
        if (!AddTrack(writer, *media, track, source, offset)) {
            break;
        }
        offset += TrackSize(*media, track);
    }
    return writer.Finish();
}
