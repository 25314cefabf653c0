#include "HfeCells.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

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
    // Every transition ends one interval, those before the index once round.
    flux.resize(times_.size());
    std::size_t next = 0;
    double last = 0;
    const auto add = [&](double time) {
        const double rounded = std::round(time);
        const double interval = rounded - last;
        last = rounded;
        if (!(interval >= 0 && interval <= std::numeric_limits<std::uint32_t>::max())) {
            return false;
        }
        flux[next++] = static_cast<std::uint32_t>(interval);
        return true;
    };
    const auto afterIndex = [&](double time) { return time <= index_ || add(time - index_); };
    const auto wrapped = [&](double time) { return time > index_ || add(time + now_ - index_); };
    return std::all_of(times_.begin(), times_.end(), afterIndex) &&
           std::all_of(times_.begin(), times_.end(), wrapped);
}

// Weak cells as RAND gives them: the same on every read of the file.
unsigned NextWeakCells(std::uint32_t& state)
{
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state & 0xFF;
}

bool DecodeV3(const HfeSideBytes& bytes, double headerCellClocks, CellTimeline& cells)
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

}  // namespace

bool DecodeHfeSide(const HfeSideBytes& bytes, bool version3, double cellNs,
                   std::vector<std::uint32_t>& flux)
{
    CellTimeline cells;
    if (version3) {
        if (!DecodeV3(bytes, OpcodeClockHz * cellNs * 1e-9, cells)) {
            return false;
        }
    } else {
        for (std::size_t k = 0; k < bytes.size; ++k) {
            cells.Add(bytes[k], 8);
        }
    }
    return cells.Revolution(flux);
}
