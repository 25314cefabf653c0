// DIM: a 256-byte header (a media type, a flag for each of 170 tracks, the
// text "DIFC HEADER", a comment), then the flagged tracks' raw sectors, all
// MFM, R = 1..spt.
//
// The file is DIM only when the media type is known, every flag is 0 or 1,
// the text stands at 0xAB, no track past the 164 of a D88 image is flagged,
// and the data is exactly the flagged tracks one after another (as most
// writers pack them) or each flagged track at its own place, track x track
// size (as some readers expect). The two agree when no track is left out; a
// file that fits neither is not DIM. A track not flagged is absent.
#include <array>
#include <cstring>

#include "FormatReaders.h"

namespace {

constexpr std::size_t HeaderSize = 0x100;
constexpr std::size_t FlagsAt = 0x01;
constexpr std::size_t FlagCount = 170;
constexpr std::size_t MagicAt = 0xAB;
constexpr char Magic[] = "DIFC HEADER  ";
constexpr std::size_t MagicLength = sizeof Magic - 1;
constexpr std::size_t CommentAt = 0xC2;

struct DimMedia {
    unsigned char type;
    int sectors;
    unsigned char n;
    // The X68000's 2HS and 2HDE number their sectors from R = 10 and their
    // heads from 0x80, all but the first sector of C0 H0, which is C0 H0 R1.
    unsigned char firstR;
    unsigned char firstH;
};

constexpr std::array<DimMedia, 6> MediaTable{{
    {0x00, 8, 3, 1, 0},     // 2HD
    {0x01, 9, 3, 10, 0},    // 2HS
    {0x02, 15, 2, 1, 0},    // 2HC
    {0x03, 9, 3, 1, 0x80},  // 2HDE
    {0x09, 18, 2, 1, 0},    // 2HQ
    {0x11, 26, 1, 1, 0},    // 26 sectors of 256 bytes
}};

const DimMedia* MediaOf(unsigned char type)
{
    for (const DimMedia& media : MediaTable) {
        if (media.type == type) {
            return &media;
        }
    }
    return nullptr;
}

D88SectorFields SectorFields(const DimMedia& media, int track, int place)
{
    D88SectorFields fields;
    fields.n = media.n;
    if (track == 0 && place == 0) {
        return fields;
    }
    fields.c = static_cast<unsigned char>(track / 2);
    fields.h = static_cast<unsigned char>(media.firstH + track % 2);
    fields.r = static_cast<unsigned char>(media.firstR + place);
    return fields;
}

bool AddTrack(D88ImageWriter& writer, const DimMedia& media, int track, ByteSource& source,
              std::uint64_t offset)
{
    const std::size_t sectorSize = std::size_t{128} << media.n;
    for (int k = 0; k < media.sectors; ++k) {
        if (!writer.AddSector(track, SectorFields(media, track, k), source, offset, sectorSize)) {
            return false;
        }
        offset += sectorSize;
    }
    return true;
}

}  // namespace

std::optional<D88Bytes> ConvertDim(ByteSource& source)
{
    unsigned char header[HeaderSize];
    if (!ReadExactly(source, 0, header, HeaderSize) ||
        std::memcmp(header + MagicAt, Magic, MagicLength) != 0) {
        return std::nullopt;
    }
    const DimMedia* media = MediaOf(header[0]);
    if (media == nullptr) {
        return std::nullopt;
    }
    int stored = 0;
    int end = 0;  // one past the last flagged track
    for (std::size_t track = 0; track < FlagCount; ++track) {
        const unsigned char flag = header[FlagsAt + track];
        if (flag > 1) {
            return std::nullopt;
        }
        stored += flag;
        end = flag == 1 ? static_cast<int>(track) + 1 : end;
    }
    const std::uint64_t trackSize =
        (std::uint64_t{128} << media->n) * static_cast<unsigned>(media->sectors);
    const bool packed = source.Size() == HeaderSize + trackSize * static_cast<unsigned>(stored);
    if (end > static_cast<int>(d88::TrackCount) ||
        (!packed && source.Size() != HeaderSize + trackSize * static_cast<unsigned>(end))) {
        return std::nullopt;
    }
    D88ImageWriter writer(header + CommentAt, d88::NameLength, d88::Media2HD, false);
    int storedBefore = 0;
    for (int track = 0; track < end; ++track) {
        if (header[FlagsAt + static_cast<std::size_t>(track)] == 0) {
            continue;
        }
        const int slot = packed ? storedBefore++ : track;
        if (!AddTrack(writer, *media, track, source,
                      HeaderSize + trackSize * static_cast<unsigned>(slot))) {
            break;
        }
    }
    return writer.Finish();
}
