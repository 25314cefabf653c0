// IMD (ImageDisk): a text header ending at the first 0x1A byte, then track
// records to the end of the file. A record holds the mode (data rate, FM or
// MFM), the cylinder, the head (bit 0 the side; bit 7: a cylinder map
// follows; bit 6: a head map follows), the sector count and the size code
// (0xFF: a table of sizes follows); then the sectors' R values, the maps,
// the sizes, and each sector's data record: a type byte and the data, whole
// or as the one byte it repeats. Type 0 is a sector whose data could not be
// read; types 1..8 are 1 + compressed (1) + deleted mark (2) + data error (4).
//
// The file is IMD only when it starts with "IMD ", holds the 0x1A, and its
// track records parse exactly to the end of the file, each with a mode of
// 0..5, no head bits but those three, a size code of 0..6 or a table of
// sizes of 128 << 0..7 bytes, sector types 0..8, a place (cylinder x 2 +
// side) among the 164 tracks of a D88 image that no other record takes, and
// at most MaxTrackData bytes of sector data. Records may come in any order:
// each track lands at its place, its sectors in recorded order with the IDs
// the maps give. A sector whose data could not be read is absent.
#include <algorithm>
#include <array>
#include <cstring>

#include "FormatReaders.h"
#include "LittleEndian.h"

namespace {

constexpr char Magic[] = "IMD ";
constexpr std::size_t MagicLength = sizeof Magic - 1;
constexpr unsigned char EndOfText = 0x1A;
constexpr std::size_t TextChunk = 512;
constexpr std::size_t TrackHeaderSize = 5;
// Modes 0..2 are FM, 3..5 MFM, each at 500, 300 and 250 kbit/s.
constexpr unsigned char MaxMode = 5;
constexpr unsigned char LastFmMode = 2;
constexpr unsigned char FmHighRate = 0;
constexpr unsigned char MfmHighRate = 3;
constexpr unsigned char Side = 0x01;
constexpr unsigned char HeadMapFollows = 0x40;
constexpr unsigned char CylinderMapFollows = 0x80;
constexpr unsigned char MaxImdSizeCode = 6;
constexpr unsigned char SizeTableFollows = 0xFF;
constexpr unsigned char MaxType = 8;
// Bits of a data record's type - 1.
constexpr unsigned Compressed = 1;
constexpr unsigned Deleted = 2;
constexpr unsigned DataError = 4;

// Reads a file front to back.
class Cursor {
public:
    Cursor(ByteSource& source, std::uint64_t start) : source_(source), at_(start) {}

    bool Read(unsigned char* dest, std::size_t count)
    {
        if (!ReadExactly(source_, at_, dest, count)) {
            return false;
        }
        at_ += count;
        return true;
    }

    bool Skip(std::size_t count)
    {
        if (count > source_.Size() - at_) {
            return false;
        }
        at_ += count;
        return true;
    }

    [[nodiscard]] std::uint64_t At() const { return at_; }
    [[nodiscard]] bool AtEnd() const { return at_ == source_.Size(); }

private:
    ByteSource& source_;
    std::uint64_t at_;
};

struct ImdSector {
    D88SectorFields fields;
    bool readable = true;
    std::size_t size = 0;
    bool compressed = false;
    std::uint64_t dataAt = 0;  // the data, or the byte it repeats
};

struct ImdTrack {
    int index = 0;
    bool highRate = false;  // 500 kbit/s
    std::vector<ImdSector> sectors;
};

// Where the track records start: just past the first 0x1A.
std::optional<std::uint64_t> TracksStart(ByteSource& source)
{
    unsigned char chunk[TextChunk];
    if (!ReadExactly(source, 0, chunk, MagicLength) ||
        std::memcmp(chunk, Magic, MagicLength) != 0) {
        return std::nullopt;
    }
    for (std::uint64_t at = MagicLength; at < source.Size();) {
        const std::size_t got = source.ReadAt(at, chunk, TextChunk);
        if (got == 0) {
            return std::nullopt;
        }
        const unsigned char* end = std::find(chunk, chunk + got, EndOfText);
        if (end != chunk + got) {
            return at + static_cast<std::uint64_t>(end - chunk) + 1;
        }
        at += got;
    }
    return std::nullopt;
}

// The sectors' IDs: R from the sector map, C and H from their maps when the
// record has them, else the record's cylinder and side.
bool ReadIds(Cursor& file, const unsigned char* header, std::vector<ImdSector>& sectors)
{
    const std::size_t count = sectors.size();
    std::array<unsigned char, 255> r{};
    std::array<unsigned char, 255> c{};
    std::array<unsigned char, 255> h{};
    c.fill(header[1]);
    h.fill(header[2] & Side);
    if (!file.Read(r.data(), count) ||
        ((header[2] & CylinderMapFollows) != 0 && !file.Read(c.data(), count)) ||
        ((header[2] & HeadMapFollows) != 0 && !file.Read(h.data(), count))) {
        return false;
    }
    for (std::size_t k = 0; k < count; ++k) {
        sectors[k].fields.c = c[k];
        sectors[k].fields.h = h[k];
        sectors[k].fields.r = r[k];
    }
    return true;
}

// The sectors' size codes: the record's own, or each from the table of sizes.
bool ReadSizes(Cursor& file, unsigned char sizeCode, std::vector<ImdSector>& sectors)
{
    for (ImdSector& sector : sectors) {
        std::optional<unsigned char> n = sizeCode;
        if (sizeCode == SizeTableFollows) {
            unsigned char size[2];
            n = file.Read(size, sizeof size) ? SizeCodeOf(DecodeLe16(size)) : std::nullopt;
        }
        if (!n) {
            return false;
        }
        sector.fields.n = *n;
    }
    return true;
}

// One sector's data record; false when its type is unknown or the file ends
// inside it.
bool ReadData(Cursor& file, ImdSector& sector)
{
    unsigned char type = 0;
    if (!file.Read(&type, 1) || type > MaxType) {
        return false;
    }
    if (type == 0) {
        sector.readable = false;
        return true;
    }
    const unsigned bits = type - 1U;
    sector.fields.deleted = (bits & Deleted) != 0;
    if ((bits & DataError) != 0) {
        sector.fields.status = d88::StatusDataCrcError;
    } else if (sector.fields.deleted) {
        sector.fields.status = d88::StatusDeletedData;
    }
    sector.size = std::size_t{128} << sector.fields.n;
    sector.compressed = (bits & Compressed) != 0;
    sector.dataAt = file.At();
    return file.Skip(sector.compressed ? 1 : sector.size);
}

std::optional<ImdTrack> ReadTrack(Cursor& file)
{
    unsigned char header[TrackHeaderSize];
    if (!file.Read(header, TrackHeaderSize)) {
        return std::nullopt;
    }
    const unsigned char mode = header[0];
    const unsigned char head = header[2];
    const unsigned char sizeCode = header[4];
    ImdTrack track;
    track.index = header[1] * 2 + (head & Side);
    track.highRate = mode == FmHighRate || mode == MfmHighRate;
    if (mode > MaxMode || (head & ~(Side | HeadMapFollows | CylinderMapFollows)) != 0 ||
        (sizeCode > MaxImdSizeCode && sizeCode != SizeTableFollows) ||
        track.index >= static_cast<int>(d88::TrackCount)) {
        return std::nullopt;
    }
    track.sectors.resize(header[3]);
    if (!ReadIds(file, header, track.sectors) || !ReadSizes(file, sizeCode, track.sectors)) {
        return std::nullopt;
    }
    std::size_t trackData = 0;
    for (ImdSector& sector : track.sectors) {
        sector.fields.fm = mode <= LastFmMode;
        if (!ReadData(file, sector) || sector.size > MaxTrackData - trackData) {
            return std::nullopt;
        }
        trackData += sector.size;
    }
    return track;
}

// Every track record, in track order; nullopt unless they parse exactly to
// the end of the file, each at a place of its own.
std::optional<std::vector<ImdTrack>> ReadTracks(ByteSource& source, std::uint64_t start)
{
    Cursor file(source, start);
    std::vector<ImdTrack> tracks;
    std::array<bool, d88::TrackCount> seen{};
    while (!file.AtEnd()) {
        std::optional<ImdTrack> track = ReadTrack(file);
        if (!track || seen[static_cast<std::size_t>(track->index)]) {
            return std::nullopt;
        }
        seen[static_cast<std::size_t>(track->index)] = true;
        tracks.push_back(std::move(*track));
    }
    std::sort(tracks.begin(), tracks.end(),
              [](const ImdTrack& one, const ImdTrack& other) { return one.index < other.index; });
    return tracks;
}

bool AddSector(D88ImageWriter& writer, int track, const ImdSector& sector, ByteSource& source)
{
    if (!sector.compressed) {
        return writer.AddSector(track, sector.fields, source, sector.dataAt, sector.size);
    }
    unsigned char fill = 0;
    return ReadExactly(source, sector.dataAt, &fill, 1) &&
           AddFilledSector(writer, track, sector.fields, fill, sector.size);
}

}  // namespace

std::optional<D88Bytes> ConvertImd(ByteSource& source)
{
    const std::optional<std::uint64_t> start = TracksStart(source);
    const std::optional<std::vector<ImdTrack>> tracks =
        start ? ReadTracks(source, *start) : std::nullopt;
    if (!tracks) {
        return std::nullopt;
    }
    bool highRate = false;
    int cylinders = 0;
    for (const ImdTrack& track : *tracks) {
        highRate = highRate || track.highRate;
        cylinders = std::max(cylinders, track.index / 2 + 1);
    }
    D88ImageWriter writer(nullptr, 0, MediaTypeOfRate(highRate, cylinders), false);
    for (const ImdTrack& track : *tracks) {
        for (const ImdSector& sector : track.sectors) {
            if (sector.readable && !AddSector(writer, track.index, sector, source)) {
                return writer.Finish();
            }
        }
    }
    return writer.Finish();
}
