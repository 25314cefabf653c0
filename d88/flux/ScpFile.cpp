// SCP (SuperCard Pro): a 16-byte header, a table of track data header (TDH)
// offsets, then for each track "TRK", its table index and, per revolution,
// the index time, the number of 16-bit flux entries and their offset from
// the TDH. Flux entries are big-endian; an entry of 0 adds 65,536 ticks to
// the next.
#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>

#include "FluxFiles.h"
#include "FormatReaders.h"
#include "LittleEndian.h"

namespace {

constexpr std::size_t HeaderSize = 0x10;
constexpr std::size_t RevolutionsAt = 0x05;
constexpr std::size_t StartTrackAt = 0x06;
constexpr std::size_t EndTrackAt = 0x07;
constexpr std::size_t FlagsAt = 0x08;
constexpr std::size_t CellWidthAt = 0x09;
constexpr std::size_t HeadsAt = 0x0A;
constexpr std::size_t ResolutionAt = 0x0B;
constexpr std::uint64_t TableAt = 0x10;
constexpr std::uint64_t TableEntrySize = 4;

// Extended mode describes other media than floppy tracks.
constexpr unsigned char ExtendedMode = 0x40;
constexpr double BaseTickNs = 25;

constexpr std::size_t TrackHeaderSize = 4;
constexpr std::size_t RevolutionEntrySize = 12;
constexpr std::size_t FluxCountAt = 4;
constexpr std::size_t FluxOffsetAt = 8;
constexpr std::uint64_t OverflowTicks = 0x10000;

struct ScpHeader {
    int revolutions = 0;
    int heads = 0;
    double tickNs = 0;
    int tableEntries = 0;
};

std::optional<ScpHeader> ReadHeader(ByteSource& source)
{
    unsigned char header[HeaderSize];
    if (!ReadExactly(source, 0, header, HeaderSize) || std::memcmp(header, "SCP", 3) != 0) {
        return std::nullopt;
    }
    const bool sane = header[RevolutionsAt] > 0 && header[StartTrackAt] <= header[EndTrackAt] &&
                      (header[FlagsAt] & ExtendedMode) == 0 &&
                      (header[CellWidthAt] == 0 || header[CellWidthAt] == 16) &&
                      header[HeadsAt] <= 2;
    if (!sane) {
        return std::nullopt;
    }
    return ScpHeader{header[RevolutionsAt], header[HeadsAt],
                     BaseTickNs * (header[ResolutionAt] + 1), header[EndTrackAt] + 1};
}

// The table's entries up to the first byte a TDH takes: the table has grown
// over the format's versions, and writers may end it early.
std::vector<std::uint32_t> ReadTable(ByteSource& source, int entryCount)
{
    std::vector<unsigned char> bytes(static_cast<std::size_t>(entryCount) * TableEntrySize);
    const std::size_t got = source.ReadAt(TableAt, bytes.data(), bytes.size());
    std::uint64_t limit = got / TableEntrySize;
    std::vector<std::uint32_t> table;
    for (std::uint64_t entry = 0; entry < limit; ++entry) {
        const std::uint32_t offset =
            DecodeLe32(&bytes[static_cast<std::size_t>(entry * TableEntrySize)]);
        if (offset != 0 && offset < TableAt + limit * TableEntrySize) {
            limit = offset < TableAt ? 0 : (offset - TableAt) / TableEntrySize;
        }
        if (entry < limit) {
            table.push_back(offset);
        }
    }
    return table;
}

class ScpSource final : public FluxSource {
public:
    ScpSource(ByteSource& source, const ScpHeader& header, const std::vector<std::uint32_t>& table)
        : source_(source), revolutions_(header.revolutions), tickNs_(header.tickNs)
    {
        // Entry t is cylinder t/2, head t%2, single-sided dumps too. Old
        // tools wrote single-sided dumps to consecutive entries: both
        // parities filled give them away.
        bool even = false;
        bool odd = false;
        for (std::size_t entry = 0; entry < table.size(); ++entry) {
            (entry % 2 == 0 ? even : odd) |= table[entry] != 0;
        }
        const bool consecutive = header.heads != 0 && even && odd;
        for (std::size_t entry = 0; entry < table.size(); ++entry) {
            if (table[entry] == 0) {
                continue;
            }
            const std::size_t index =
                consecutive ? entry * 2 + static_cast<std::size_t>(header.heads - 1) : entry;
            if (index >= tracks_.size()) {
                tracks_.resize(index + 1);
            }
            tracks_[index] = {table[entry], static_cast<unsigned char>(entry)};
        }
        RefuseSharedFlux();
    }

    [[nodiscard]] int TrackLimit() const override { return static_cast<int>(tracks_.size()); }

    bool ReadTrack(int trackIndex, FluxTrack& track) override;

private:
    struct Located {
        std::uint32_t offset = 0;
        unsigned char entry = 0;
    };
    struct Revolution {
        std::uint64_t start;
        std::uint32_t count;
    };

    bool ReadRevolutions(const Located& located, std::vector<Revolution>& revolutions);
    void RefuseSharedFlux();
    bool ReadFlux(const Revolution& revolution, std::vector<std::uint32_t>& flux);

    static constexpr std::uint32_t ChunkEntries = 16384;

    ByteSource& source_;
    std::vector<unsigned char> chunk_ = std::vector<unsigned char>(std::size_t{ChunkEntries} * 2);
    int revolutions_;
    double tickNs_;
    std::vector<Located> tracks_;
};

// Every revolution's entries lie in the file, and all of them together take
// no more than the file: memory follows the file, whatever the TDH says.
bool ScpSource::ReadRevolutions(const Located& located, std::vector<Revolution>& revolutions)
{
    std::vector<unsigned char> header(TrackHeaderSize +
                                      RevolutionEntrySize * static_cast<std::size_t>(revolutions_));
    if (!ReadExactly(source_, located.offset, header.data(), header.size()) ||
        std::memcmp(header.data(), "TRK", 3) != 0 || header[3] != located.entry) {
        return false;
    }
    const std::uint64_t size = source_.Size();
    std::uint64_t total = 0;
    for (int r = 0; r < revolutions_; ++r) {
        const unsigned char* entry =
            &header[TrackHeaderSize + RevolutionEntrySize * static_cast<std::size_t>(r)];
        const Revolution revolution{located.offset +
                                        std::uint64_t{DecodeLe32(entry + FluxOffsetAt)},
                                    DecodeLe32(entry + FluxCountAt)};
        const std::uint64_t bytes = std::uint64_t{revolution.count} * 2;
        total += bytes;
        if (revolution.start > size || bytes > size - revolution.start || total > size) {
            return false;
        }
        revolutions.push_back(revolution);
    }
    return true;
}

// No two tracks share their flux, so all of them together take no more than
// the file: a track that would take the total past it is refused, and the
// flux decoded stays within the file's size however the TDHs point.
void ScpSource::RefuseSharedFlux()
{
    const std::uint64_t size = source_.Size();
    std::uint64_t total = 0;
    for (Located& located : tracks_) {
        std::vector<Revolution> revolutions;
        if (located.offset == 0 || !ReadRevolutions(located, revolutions)) {
            continue;
        }
        std::uint64_t bytes = 0;
        for (const Revolution& revolution : revolutions) {
            bytes += std::uint64_t{revolution.count} * 2;
        }
        // Both are within the file's size: the sum cannot overflow.
        if (total + bytes > size) {
            located.offset = 0;
        } else {
            total += bytes;
        }
    }
}

// The entries are read a chunk at a time, so a track's flux is decoded as
// it is read, never held twice.
bool ScpSource::ReadFlux(const Revolution& revolution, std::vector<std::uint32_t>& flux)
{
    flux.clear();
    flux.reserve(revolution.count);
    std::uint64_t ticks = 0;
    std::uint64_t offset = revolution.start;
    for (std::uint32_t left = revolution.count; left > 0;) {
        const std::uint32_t entries = std::min(left, ChunkEntries);
        if (!ReadExactly(source_, offset, chunk_.data(), std::size_t{entries} * 2)) {
            return false;
        }
        for (std::size_t entry = 0; entry < std::size_t{entries} * 2; entry += 2) {
            const unsigned value = (unsigned{chunk_[entry]} << 8) | chunk_[entry + 1];
            ticks += value == 0 ? OverflowTicks : value;
            if (ticks > std::numeric_limits<std::uint32_t>::max()) {
                return false;
            }
            if (value != 0) {
                flux.push_back(static_cast<std::uint32_t>(ticks));
                ticks = 0;
            }
        }
        offset += std::uint64_t{entries} * 2;
        left -= entries;
    }
    return true;
}

bool ScpSource::ReadTrack(int trackIndex, FluxTrack& track)
{
    if (trackIndex < 0 || trackIndex >= TrackLimit()) {
        return false;
    }
    const Located& located = tracks_[static_cast<std::size_t>(trackIndex)];
    std::vector<Revolution> revolutions;
    if (located.offset == 0 || !ReadRevolutions(located, revolutions)) {
        return false;
    }
    track.cylinder = trackIndex / 2;
    track.head = trackIndex % 2;
    track.tickNs = tickNs_;
    track.revolutions.resize(revolutions.size());
    for (std::size_t r = 0; r < revolutions.size(); ++r) {
        if (!ReadFlux(revolutions[r], track.revolutions[r])) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::unique_ptr<FluxSource> OpenScp(ByteSource& source)
{
    const std::optional<ScpHeader> header = ReadHeader(source);
    if (!header) {
        return nullptr;
    }
    const std::vector<std::uint32_t> table = ReadTable(source, header->tableEntries);
    if (std::all_of(table.begin(), table.end(), [](std::uint32_t offset) { return offset == 0; })) {
        return nullptr;
    }
    return std::make_unique<ScpSource>(source, *header, table);
}
