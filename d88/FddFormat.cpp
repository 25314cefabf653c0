// FDD (Virtual98): a 0xC3FC-byte header (a comment, the write protection, a
// map of 160 tracks x 26 sector slots), then sector data anywhere after it.
// A slot holds the ID, a fill byte, the deleted mark, MFM and 2HD flags and
// the file offset of its data; a slot whose C is 0xFF is unused, and a
// sector whose offset is 0xFFFFFFFF is not stored: it is its fill byte
// repeated. Each used slot is a sector of its track, in slot order.
//
// The file is FDD only when it starts with "VFD1.00" or "VFD1.01" and a NUL,
// holds the whole header, every used slot has a size code of 0..7 and data
// that is not stored or lies wholly in the file after the header, and no
// track's sectors hold more than MaxTrackData bytes.
#include <cstring>

#include "FormatReaders.h"
#include "LittleEndian.h"

namespace {

constexpr std::size_t HeaderSize = 0xC3FC;
constexpr char Magic[] = "VFD1.0";
constexpr std::size_t MagicLength = sizeof Magic - 1;
constexpr std::size_t CommentAt = 0x08;
constexpr std::size_t ProtectAt = 0x88;
constexpr std::size_t MapAt = 0xDC;
constexpr int Tracks = 160;
constexpr int Slots = 26;
constexpr std::size_t EntrySize = 12;
// Entry fields after C, H, R, N.
constexpr std::size_t FillAt = 4;
constexpr std::size_t DeletedAt = 5;
constexpr std::size_t MfmAt = 6;
constexpr std::size_t HighDensityAt = 7;
constexpr std::size_t DataAt = 8;
constexpr unsigned char UnusedCylinder = 0xFF;
constexpr std::uint32_t NotStored = 0xFFFFFFFF;

bool IsMagic(const unsigned char* header)
{
    return std::memcmp(header, Magic, MagicLength) == 0 &&
           (header[MagicLength] == '0' || header[MagicLength] == '1') &&
           header[MagicLength + 1] == 0;
}

const unsigned char* EntryAt(const std::vector<unsigned char>& header, int track, int slot)
{
    return header.data() + MapAt + static_cast<std::size_t>(track * Slots + slot) * EntrySize;
}

// A used entry's data size, when its size code and data offset are sane.
std::optional<std::size_t> DataSize(const unsigned char* entry, std::uint64_t fileSize)
{
    if (entry[3] > d88::MaxSizeCode) {
        return std::nullopt;
    }
    const std::size_t size = std::size_t{128} << entry[3];
    const std::uint32_t dataAt = DecodeLe32(entry + DataAt);
    if (dataAt != NotStored &&
        (dataAt < HeaderSize || size > fileSize || dataAt > fileSize - size)) {
        return std::nullopt;
    }
    return size;
}

struct Survey {
    bool highDensity = false;
    int cylinders = 0;
};

// What the map says of the whole disk; nullopt when an entry or a track
// breaks the format's rules.
std::optional<Survey> SurveyMap(const std::vector<unsigned char>& header, std::uint64_t fileSize)
{
    Survey survey;
    for (int track = 0; track < Tracks; ++track) {
        std::size_t trackData = 0;
        for (int slot = 0; slot < Slots; ++slot) {
            const unsigned char* entry = EntryAt(header, track, slot);
            if (entry[0] == UnusedCylinder) {
                continue;
            }
            const std::optional<std::size_t> size = DataSize(entry, fileSize);
            if (!size || *size > MaxTrackData - trackData) {
                return std::nullopt;
            }
            trackData += *size;
            survey.highDensity = survey.highDensity || entry[HighDensityAt] != 0;
            survey.cylinders = track / 2 + 1;
        }
    }
    return survey;
}

bool AddEntry(D88ImageWriter& writer, int track, const unsigned char* entry, ByteSource& source)
{
    D88SectorFields fields;
    fields.c = entry[0];
    fields.h = entry[1];
    fields.r = entry[2];
    fields.n = entry[3];
    fields.fm = entry[MfmAt] == 0;
    fields.deleted = entry[DeletedAt] != 0;
    fields.status = fields.deleted ? d88::StatusDeletedData : 0;
    const std::size_t size = std::size_t{128} << fields.n;
    const std::uint32_t dataAt = DecodeLe32(entry + DataAt);
    if (dataAt == NotStored) {
        return AddFilledSector(writer, track, fields, entry[FillAt], size);
    }
    return writer.AddSector(track, fields, source, dataAt, size);
}

}  // namespace

std::optional<D88Bytes> ConvertFdd(ByteSource& source)
{
    std::vector<unsigned char> header(HeaderSize);
    if (!ReadExactly(source, 0, header.data(), header.size()) || !IsMagic(header.data())) {
        return std::nullopt;
    }
    const std::optional<Survey> survey = SurveyMap(header, source.Size());
    if (!survey) {
        return std::nullopt;
    }
    D88ImageWriter writer(&header[CommentAt], d88::NameLength,
                          MediaTypeOfRate(survey->highDensity, survey->cylinders),
                          DecodeLe16(&header[ProtectAt]) != 0);
    for (int track = 0; track < Tracks; ++track) {
        for (int slot = 0; slot < Slots; ++slot) {
            const unsigned char* entry = EntryAt(header, track, slot);
            if (entry[0] != UnusedCylinder && !AddEntry(writer, track, entry, source)) {
                return writer.Finish();
            }
        }
    }
    return writer.Finish();
}
