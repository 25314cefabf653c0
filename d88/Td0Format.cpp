// TD0 (Teledisk): a 12-byte header, an optional comment block, then track
// records, each a 4-byte header and its sectors (a 6-byte header and, for
// most, a data block), up to a record whose sector count is 0xFF. In a "td"
// file everything after the header is LZHUF-compressed (TelediskLzhuf.h);
// "td" of Teledisk before 2.0 used LZW instead, and is not read.
//
// The file is TD0 only when it proves it: the magic, the first volume of a
// set, the header's CRC, and a stream that parses whole to the end record:
// every comment, track and sector CRC right, every data block expanding to
// exactly its sector's size, the tracks in ascending order within the 164
// of D88. Anything else, a stream cut short too, is not TD0.
#include <array>
#include <functional>

#include "Crc16.h"
#include "FormatReaders.h"
#include "LittleEndian.h"
#include "TelediskLzhuf.h"

namespace {

constexpr std::size_t HeaderSize = 12;
constexpr std::size_t VolumeAt = 2;
constexpr std::size_t VersionAt = 4;
constexpr std::size_t RateAt = 5;
constexpr std::size_t SteppingAt = 7;
constexpr std::size_t HeaderCrcAt = 10;
constexpr unsigned char RateFm = 0x80;  // every track is FM
constexpr unsigned char RateMask = 0x7F;
constexpr unsigned char Rate500k = 2;
constexpr unsigned char CommentFollows = 0x80;
constexpr unsigned char FirstLzhufVersion = 20;  // 2.0

constexpr std::size_t CommentHeaderSize = 10;
constexpr std::size_t CommentLengthAt = 2;
constexpr std::size_t MaxComment = 0xFFFF;

constexpr unsigned char EndOfImage = 0xFF;
constexpr std::size_t TrackHeaderSize = 4;
constexpr unsigned char TrackFm = 0x80;
constexpr unsigned char HeadSide = 0x01;

constexpr std::size_t SectorHeaderSize = 6;
constexpr std::size_t FlagsAt = 4;
constexpr std::size_t DataCrcAt = 5;
constexpr std::size_t MaxDataBlock = 0xFFFF;
constexpr unsigned char CrcErrorFlag = 0x02;
constexpr unsigned char DeletedFlag = 0x04;
constexpr unsigned char SkippedFlag = 0x10;  // left out as unallocated by DOS
constexpr unsigned char NoDataFlag = 0x20;
constexpr unsigned char NoIdFlag = 0x40;  // data found with no ID to it
constexpr unsigned char SkippedFill = 0xE5;
constexpr unsigned char RawMethod = 0;

// The longest stream whose tracks D88 can hold: the longest comment, then
// each track with 254 sectors of the longest data block, and the end.
constexpr std::size_t MaxStreamSize =
    CommentHeaderSize + MaxComment +
    std::size_t{static_cast<int>(d88::TrackCount)} *
        (TrackHeaderSize + 254 * (SectorHeaderSize + 2 + MaxDataBlock)) +
    TrackHeaderSize;

std::uint16_t Crc(const unsigned char* bytes, std::size_t count, std::uint16_t crc = 0)
{
    return TelediskCrc.Update(crc, bytes, count);
}

bool LowCrcMatches(const unsigned char* bytes, std::size_t count, unsigned char crc)
{
    return (Crc(bytes, count) & 0xFF) == crc;
}

struct Td0Header {
    bool advanced;  // "td"
    unsigned char version;
    bool allFm;
    bool rate500k;
    bool comment;
};

// The header of the first volume of a set, when its magic and CRC hold.
std::optional<Td0Header> ReadHeader(ByteSource& source)
{
    unsigned char header[HeaderSize];
    if (!ReadExactly(source, 0, header, HeaderSize) || header[VolumeAt] != 0 ||
        Crc(header, HeaderCrcAt) != DecodeLe16(&header[HeaderCrcAt])) {
        return std::nullopt;
    }
    const bool normal = header[0] == 'T' && header[1] == 'D';
    const bool advanced = header[0] == 't' && header[1] == 'd';
    if (!normal && !advanced) {
        return std::nullopt;
    }
    return Td0Header{advanced, header[VersionAt], (header[RateAt] & RateFm) != 0,
                     (header[RateAt] & RateMask) >= Rate500k,
                     (header[SteppingAt] & CommentFollows) != 0};
}

// Fills a sector's bytes from a data block's pieces, refusing a piece that
// adds nothing or passes the sector's end.
class SectorFill {
public:
    explicit SectorFill(std::vector<unsigned char>& sector) : sector_(sector) {}

    bool Append(const unsigned char* piece, std::size_t size, std::size_t times)
    {
        if (size == 0 || times == 0 || (sector_.size() - filled_) / size < times) {
            return false;
        }
        for (std::size_t i = 0; i < times; ++i, filled_ += size) {
            std::copy(piece, piece + size, sector_.begin() + static_cast<std::ptrdiff_t>(filled_));
        }
        return true;
    }
    [[nodiscard]] bool Full() const { return filled_ == sector_.size(); }

private:
    std::vector<unsigned char>& sector_;
    std::size_t filled_ = 0;
};

// Method 0: the bytes as they are.
bool ExpandRaw(const unsigned char* block, std::size_t size, SectorFill& fill)
{
    return fill.Append(block, size, 1);
}

// Method 1: groups of a 16-bit count and two bytes written that many times.
bool ExpandPattern(const unsigned char* block, std::size_t size, SectorFill& fill)
{
    constexpr std::size_t GroupSize = 4;
    if (size % GroupSize != 0) {
        return false;
    }
    for (std::size_t at = 0; at < size; at += GroupSize) {
        if (!fill.Append(&block[at + 2], 2, DecodeLe16(&block[at]))) {
            return false;
        }
    }
    return true;
}

// Method 2: fragments, each 00 n and n bytes, or k c and a block of 1 << k
// bytes written c times.
bool ExpandRuns(const unsigned char* block, std::size_t size, SectorFill& fill)
{
    constexpr unsigned char LongestShift = 14;  // a block no larger than a sector
    std::size_t next = 0;
    while (next < size) {
        if (size - next < 2 || block[next] > LongestShift) {
            return false;
        }
        const bool literal = block[next] == 0;
        const std::size_t length = literal ? block[next + 1] : std::size_t{1} << block[next];
        const std::size_t times = literal ? 1 : block[next + 1];
        next += 2;
        if (size - next < length || !fill.Append(&block[next], length, times)) {
            return false;
        }
        next += length;
    }
    return true;
}

using Expander = bool (*)(const unsigned char*, std::size_t, SectorFill&);
constexpr std::array<Expander, 3> Methods{ExpandRaw, ExpandPattern, ExpandRuns};

// A kept sector: its track, fields and data (`size` bytes at `offset`).
using SectorSink = std::function<bool(int track, const D88SectorFields& fields, ByteSource& data,
                                      std::uint64_t offset, std::size_t size)>;

// Walks the stream after the header, handing each kept sector to a sink.
class StreamWalker {
public:
    StreamWalker(ByteSource& stream, std::uint64_t start, const Td0Header& header)
        : stream_(stream), at_(start), header_(header)
    {
    }

    // False when the stream breaks a rule or ends before the end record.
    bool Walk(const SectorSink& sink)
    {
        if (header_.comment && !SkipComment()) {
            return false;
        }
        for (;;) {
            unsigned char count = 0;
            if (!Read(&count, 1)) {
                return false;
            }
            if (count == EndOfImage) {
                return true;
            }
            if (!WalkTrack(count, sink)) {
                return false;
            }
        }
    }

    [[nodiscard]] int LastTrack() const { return lastTrack_; }

private:
    // An empty comment has no buffer to read into: nothing is read for it.
    bool Read(unsigned char* dest, std::size_t count)
    {
        if (count == 0) {
            return true;
        }
        if (!ReadExactly(stream_, at_, dest, count)) {
            return false;
        }
        at_ += count;
        return true;
    }

    bool SkipComment()
    {
        unsigned char head[CommentHeaderSize];
        if (!Read(head, CommentHeaderSize)) {
            return false;
        }
        std::vector<unsigned char> text(DecodeLe16(&head[CommentLengthAt]));
        if (!Read(text.data(), text.size())) {
            return false;
        }
        const std::uint16_t crc = Crc(&head[CommentLengthAt], CommentHeaderSize - CommentLengthAt);
        return Crc(text.data(), text.size(), crc) == DecodeLe16(head);
    }

    bool WalkTrack(unsigned char count, const SectorSink& sink)
    {
        std::array<unsigned char, TrackHeaderSize> head{count};
        if (!Read(&head[1], TrackHeaderSize - 1) || !LowCrcMatches(head.data(), 3, head[3]) ||
            (head[2] & ~(TrackFm | HeadSide)) != 0) {
            return false;
        }
        const int track = head[1] * 2 + (head[2] & HeadSide);
        if (track <= lastTrack_ || track >= static_cast<int>(d88::TrackCount)) {
            return false;
        }
        lastTrack_ = track;
        const bool fmTrack = header_.allFm || (head[2] & TrackFm) != 0;
        for (int k = 0; k < count; ++k) {
            if (!WalkSector(track, fmTrack, sink)) {
                return false;
            }
        }
        return true;
    }

    bool WalkSector(int track, bool fmTrack, const SectorSink& sink)
    {
        unsigned char sectorId[SectorHeaderSize];
        if (!Read(sectorId, SectorHeaderSize)) {
            return false;
        }
        const unsigned char flags = sectorId[FlagsAt];
        D88SectorFields fields{
            sectorId[0], sectorId[1], sectorId[2], sectorId[3], fmTrack, false, 0};
        if ((flags & (SkippedFlag | NoDataFlag)) != 0 || sectorId[3] > d88::MaxSizeCode) {
            return (flags & NoIdFlag) != 0 || AddWithoutData(track, fields, flags, sink);
        }
        const std::uint64_t blockAt = at_ + 2;
        std::vector<unsigned char> sector(std::size_t{128} << sectorId[3]);
        unsigned char method = 0;
        if (!ReadDataBlock(sector, method) ||
            !LowCrcMatches(sector.data(), sector.size(), sectorId[DataCrcAt])) {
            return false;
        }
        if ((flags & NoIdFlag) != 0) {
            return true;
        }
        fields.deleted = (flags & DeletedFlag) != 0;
        fields.status = (flags & CrcErrorFlag) != 0 ? d88::StatusDataCrcError
                        : fields.deleted            ? d88::StatusDeletedData
                                                    : 0;
        if (method == RawMethod) {
            return sink(track, fields, stream_, blockAt + 1, sector.size());
        }
        MemoryByteSource expanded(std::move(sector));
        return sink(track, fields, expanded, 0, static_cast<std::size_t>(expanded.Size()));
    }

    // A sector left out by DOS reads as the fill byte; one with no data mark
    // or a size code D88 cannot hold has no data.
    bool AddWithoutData(int track, D88SectorFields& fields, unsigned char flags,
                        const SectorSink& sink)
    {
        if ((flags & NoDataFlag) == 0 && fields.n <= d88::MaxSizeCode) {
            MemoryByteSource fill(
                std::vector<unsigned char>(std::size_t{128} << fields.n, SkippedFill));
            return sink(track, fields, fill, 0, static_cast<std::size_t>(fill.Size()));
        }
        fields.status = d88::StatusNoDataMark;
        return sink(track, fields, stream_, at_, 0);
    }

    // A 16-bit length, a method byte and what the method expands into `data`.
    bool ReadDataBlock(std::vector<unsigned char>& data, unsigned char& method)
    {
        unsigned char length[2];
        if (!Read(length, 2)) {
            return false;
        }
        block_.resize(DecodeLe16(length));
        if (block_.empty() || !Read(block_.data(), block_.size()) || block_[0] >= Methods.size()) {
            return false;
        }
        method = block_[0];
        SectorFill fill(data);
        return Methods[method](&block_[1], block_.size() - 1, fill) && fill.Full();
    }

    ByteSource& stream_;
    std::uint64_t at_;
    Td0Header header_;
    int lastTrack_ = -1;
    // The data block being read, kept from one sector to the next.
    std::vector<unsigned char> block_;
};

// A first walk proves the stream and finds the highest cylinder, which the
// media byte depends on; a second writes the image.
std::optional<D88Bytes> ConvertStream(ByteSource& stream, std::uint64_t start,
                                      const Td0Header& header)
{
    StreamWalker survey(stream, start, header);
    if (!survey.Walk([](int, const D88SectorFields&, ByteSource&, std::uint64_t, std::size_t) {
            return true;
        })) {
        return std::nullopt;
    }
    D88ImageWriter writer(nullptr, 0, MediaTypeOfRate(header.rate500k, survey.LastTrack() / 2 + 1),
                          false);
    StreamWalker walker(stream, start, header);
    if (!walker.Walk([&writer](int track, const D88SectorFields& fields, ByteSource& data,
                               std::uint64_t offset, std::size_t size) {
            return writer.AddSector(track, fields, data, offset, size);
        })) {
        return std::nullopt;
    }
    return writer.Finish();
}

bool IsOldCompression(const Td0Header& header)
{
    return header.advanced && header.version < FirstLzhufVersion;
}

}  // namespace

std::optional<D88Bytes> ConvertTd0(ByteSource& source)
{
    const std::optional<Td0Header> header = ReadHeader(source);
    if (!header || IsOldCompression(*header)) {
        return std::nullopt;
    }
    if (!header->advanced) {
        return ConvertStream(source, HeaderSize, *header);
    }
    TelediskStream stream(source, HeaderSize, MaxStreamSize);
    return ConvertStream(stream, 0, *header);
}

bool IsOldTeledisk(ByteSource& source)
{
    const std::optional<Td0Header> header = ReadHeader(source);
    return header && IsOldCompression(*header);
}
