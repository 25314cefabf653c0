// HFE (HxC): a 512-byte header, a track list of (offset in 512-byte blocks,
// length in bytes) per cylinder, then each cylinder's cells: in every
// 512-byte block, 256 bytes of side 0 then 256 of side 1, each byte's least
// significant bit the earliest cell, a 1 for a transition. Version 3 mixes
// opcodes into the cells: a byte whose low nibble is all 1s (four
// transitions in a row, which no MFM or FM track holds) is one.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "FluxFiles.h"
#include "FormatReaders.h"
#include "LittleEndian.h"

namespace {

constexpr std::size_t HeaderSize = 0x14;
constexpr std::size_t SignatureSize = 8;
constexpr std::size_t RevisionAt = 0x08;
constexpr std::size_t TracksAt = 0x09;
constexpr std::size_t SidesAt = 0x0A;
constexpr std::size_t BitRateAt = 0x0C;
constexpr std::size_t TrackListAt = 0x12;
constexpr std::uint64_t BlockSize = 512;
constexpr std::size_t SideSpan = 256;
constexpr std::size_t TrackEntrySize = 4;

// The v3 opcodes, in the byte's bits read last cell first.
enum Opcode : unsigned {
    Nop = 0,
    SetIndex = 1,
    SetBitRate = 2,
    SkipBits = 3,
    Rand = 4,
};
// A SETBITRATE operand counts cells in periods of 36 MHz.
constexpr double OpcodeClockHz = 36e6;

unsigned char Reversed(unsigned char byte)
{
    unsigned reversed = 0;
    for (unsigned bit = 0; bit < 8; ++bit) {
        reversed |= ((unsigned{byte} >> bit) & 1U) << (7 - bit);
    }
    return static_cast<unsigned char>(reversed);
}

bool IsOpcode(unsigned char byte)
{
    return (byte & 0x0F) == 0x0F;
}

// The transitions of one side, in ticks of the header's cell from the start
// of the track, and where its index lies.
class CellTimeline {
public:
    // `count` cells, the earliest in bit 0 of `bits`.
    void Add(unsigned bits, int count)
    {
        for (int cell = 0; cell < count; ++cell) {
            now_ += cell_;
            if (((bits >> cell) & 1U) != 0) {
                times_.push_back(now_);
            }
        }
    }
    void SetCell(double cell) { cell_ = cell; }
    void MarkIndex()
    {
        if (!indexed_) {
            index_ = now_;
            indexed_ = true;
        }
    }

    // The intervals from the index round the track back to it; false when
    // one does not fit in 32 bits.
    bool Revolution(std::vector<std::uint32_t>& flux) const;

private:
    double cell_ = 1;
    double now_ = 0;
    double index_ = 0;
    bool indexed_ = false;
    std::vector<double> times_;
};

bool CellTimeline::Revolution(std::vector<std::uint32_t>& flux) const
{
    flux.clear();
    flux.reserve(times_.size());
    double last = 0;
    const auto add = [&](double time) {
        const double interval = std::round(time) - std::round(last);
        last = time;
        if (!(interval >= 0 && interval <= std::numeric_limits<std::uint32_t>::max())) {
            return false;
        }
        flux.push_back(static_cast<std::uint32_t>(interval));
        return true;
    };
    const auto afterIndex = [&](double time) { return time <= index_ || add(time - index_); };
    const auto wrapped = [&](double time) { return time > index_ || add(time + now_ - index_); };
    return std::all_of(times_.begin(), times_.end(), afterIndex) &&
           std::all_of(times_.begin(), times_.end(), wrapped);
}

// One side's bytes of a track read whole.
struct SideBytes {
    const std::vector<unsigned char>& blocks;
    std::size_t side;
    std::size_t size;

    unsigned char operator[](std::size_t offset) const
    {
        return blocks[(offset / SideSpan) * BlockSize + side * SideSpan + offset % SideSpan];
    }
};

// Weak cells as RAND gives them: the same on every read of the file.
unsigned NextWeakCells(std::uint32_t& state)
{
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state & 0xFF;
}

bool DecodeV3(const SideBytes& bytes, double headerCellClocks, CellTimeline& cells)
{
    std::uint32_t weak = 0x2545F491;
    for (std::size_t k = 0; k < bytes.size; ++k) {
        const unsigned char byte = bytes[k];
        if (!IsOpcode(byte)) {
            cells.Add(byte, 8);
            continue;
        }
        switch (Reversed(byte) & 0x0F) {
        case Nop:
            break;
        case SetIndex:
            cells.MarkIndex();
            break;
        case SetBitRate: {
            const unsigned clocks = k + 1 < bytes.size ? Reversed(bytes[++k]) : 0;
            if (clocks == 0) {
                return false;
            }
            cells.SetCell(clocks / headerCellClocks);
            break;
        }
        case SkipBits: {
            if (k + 2 >= bytes.size) {
                return false;
            }
            const int skipped = Reversed(bytes[++k]);
            const unsigned char data = bytes[++k];
            if (skipped < 1 || skipped > 7) {
                return false;
            }
            const bool rand = IsOpcode(data) && (Reversed(data) & 0x0F) == Rand;
            cells.Add((rand ? NextWeakCells(weak) : data) >> skipped, 8 - skipped);
            break;
        }
        case Rand:
            cells.Add(NextWeakCells(weak), 8);
            break;
        default:
            return false;
        }
    }
    return true;
}

class HfeSource final : public FluxSource {
public:
    HfeSource(ByteSource& source, bool version3, int sides, unsigned bitRateKbps,
              std::vector<unsigned char> trackList)
        : source_(source), version3_(version3), sides_(sides), cellNs_(5e5 / bitRateKbps),
          trackList_(std::move(trackList)), refused_(trackList_.size() / TrackEntrySize)
    {
        // No two cylinders share their blocks, so all of them together take
        // no more than the file: a cylinder that would take the total past it
        // is refused, and the cells decoded stay within the file's size
        // however the list points.
        const std::uint64_t size = source_.Size();
        std::uint64_t total = 0;
        for (std::size_t cylinder = 0; cylinder < refused_.size(); ++cylinder) {
            const std::uint64_t length = DecodeLe16(&trackList_[cylinder * TrackEntrySize + 2]);
            refused_[cylinder] = length > size - total;
            total += refused_[cylinder] ? 0 : length;
        }
    }

    [[nodiscard]] int TrackLimit() const override
    {
        return static_cast<int>(trackList_.size() / TrackEntrySize) * 2 - (2 - sides_);
    }

    bool ReadTrack(int trackIndex, FluxTrack& track) override;

private:
    ByteSource& source_;
    bool version3_;
    int sides_;
    double cellNs_;
    std::vector<unsigned char> trackList_;
    std::vector<bool> refused_;
};

bool HfeSource::ReadTrack(int trackIndex, FluxTrack& track)
{
    if (trackIndex < 0 || trackIndex >= TrackLimit()) {
        return false;
    }
    const auto cylinder = static_cast<std::size_t>(trackIndex / 2);
    const auto side = static_cast<std::size_t>(trackIndex % 2);
    if (refused_[cylinder]) {
        return false;
    }
    const unsigned char* entry = &trackList_[cylinder * TrackEntrySize];
    const std::size_t sideSize = DecodeLe16(entry + 2) / 2U;
    // Side 1 starts at +256 even in a partial last block.
    const std::size_t needed = sideSize == 0 ? 0
                                             : ((sideSize - 1) / SideSpan) * BlockSize +
                                                   side * SideSpan + (sideSize - 1) % SideSpan + 1;
    std::vector<unsigned char> blocks(needed);
    if (needed > 0 && !ReadExactly(source_, DecodeLe16(entry) * BlockSize, blocks.data(), needed)) {
        return false;
    }
    const SideBytes bytes{blocks, side, sideSize};
    CellTimeline cells;
    if (version3_) {
        if (!DecodeV3(bytes, OpcodeClockHz * cellNs_ * 1e-9, cells)) {
            return false;
        }
    } else {
        for (std::size_t k = 0; k < sideSize; ++k) {
            cells.Add(bytes[k], 8);
        }
    }
    track.cylinder = trackIndex / 2;
    track.head = trackIndex % 2;
    track.tickNs = cellNs_;
    track.revolutions.resize(1);
    return cells.Revolution(track.revolutions[0]);
}

}  // namespace

std::unique_ptr<FluxSource> OpenHfe(ByteSource& source)
{
    unsigned char header[HeaderSize];
    if (!ReadExactly(source, 0, header, HeaderSize)) {
        return nullptr;
    }
    const bool version1 = std::memcmp(header, "HXCPICFE", SignatureSize) == 0;
    const bool version3 = std::memcmp(header, "HXCHFEV3", SignatureSize) == 0;
    const int sides = header[SidesAt];
    const unsigned bitRate = DecodeLe16(header + BitRateAt);
    const std::uint64_t listAt = DecodeLe16(header + TrackListAt) * BlockSize;
    if (!(version1 || version3) || header[RevisionAt] > 1 || header[TracksAt] == 0 || sides < 1 ||
        sides > 2 || bitRate == 0 || listAt == 0) {
        return nullptr;
    }
    std::vector<unsigned char> trackList(header[TracksAt] * TrackEntrySize);
    if (!ReadExactly(source, listAt, trackList.data(), trackList.size())) {
        return nullptr;
    }
    return std::make_unique<HfeSource>(source, version3, sides, bitRate, std::move(trackList));
}
