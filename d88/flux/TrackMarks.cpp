#include "TrackMarks.h"

#include <array>
#include <cstdint>

namespace {

// Cells are matched with the earliest cell in the most significant bit.
constexpr std::uint64_t MfmSync = 0x448944894489;  // A1 A1 A1, each missing a clock
constexpr std::uint64_t MfmSyncMask = 0xFFFFFFFFFFFF;
constexpr std::size_t MfmSyncCells = 48;

struct MarkByte {
    unsigned char value;
    MarkKind kind;
};
constexpr std::array<MarkByte, 3> MarkBytes{
    {{0xFE, MarkKind::Id}, {0xFB, MarkKind::Data}, {0xF8, MarkKind::DeletedData}}};

// Each FM cell becomes a zero cell and the cell itself.
constexpr std::uint64_t HalfClocked(std::uint16_t fmCells)
{
    std::uint64_t cells = 0;
    for (int bit = 15; bit >= 0; --bit) {
        cells = (cells << 2) | ((unsigned{fmCells} >> bit) & 1U);
    }
    return cells;
}

// FM cells (clock and data interleaved) of a 00 byte and of each mark with
// clock C7.
constexpr std::uint64_t FmZeroByte = HalfClocked(0xAAAA);
struct FmMark {
    std::uint64_t cells;
    MarkByte mark;
};
constexpr std::array<FmMark, 3> FmMarks{{
    {FmZeroByte << 32 | HalfClocked(0xF57E), MarkBytes[0]},
    {FmZeroByte << 32 | HalfClocked(0xF56F), MarkBytes[1]},
    {FmZeroByte << 32 | HalfClocked(0xF56A), MarkBytes[2]},
}};
constexpr std::size_t FmMarkCells = 32;

void AddMfmMark(const CellStream& cells, std::size_t syncEnd, std::vector<TrackMark>& marks)
{
    unsigned char value = 0;
    if (!ReadBytes(cells, syncEnd, MfmCoding, &value, 1)) {
        return;
    }
    for (const MarkByte& mark : MarkBytes) {
        if (mark.value == value) {
            marks.push_back({syncEnd - MfmSyncCells, syncEnd + MfmCoding.CellsPerByte(), mark.kind,
                             mark.value, false});
        }
    }
}

void AddFmMark(std::uint64_t window, std::size_t markEnd, std::vector<TrackMark>& marks)
{
    if ((window >> FmMarkCells) != FmZeroByte) {
        return;
    }
    for (const FmMark& mark : FmMarks) {
        if (window == mark.cells) {
            marks.push_back(
                {markEnd - FmMarkCells, markEnd, mark.mark.kind, mark.mark.value, true});
        }
    }
}

// The mark, if any, whose last cell is `last`, seen through the 64 cells
// that end there (zeros before the stream).
void AddMarkEndingAt(const CellStream& cells, std::size_t last, std::vector<TrackMark>& marks)
{
    const std::size_t word = last / CellStream::WordBits;
    const std::size_t lag = CellStream::WordBits - 1 - last % CellStream::WordBits;
    std::uint64_t window = cells.Word(word) >> lag;
    if (lag != 0 && word != 0) {
        window |= cells.Word(word - 1) << (CellStream::WordBits - lag);
    }
    if (last + 1 >= MfmSyncCells && (window & MfmSyncMask) == MfmSync) {
        AddMfmMark(cells, last + 1, marks);
    } else {
        AddFmMark(window, last + 1, marks);
    }
}

// Every mark holds one of two 16-cell patterns at a fixed place, which few
// other places hold: MFM's last A1 ends the mark, and all FM marks start
// (after the 00 byte) with the same eight cells, F5 of clock and data.
constexpr std::uint16_t LastA1 = 0x4489;
constexpr std::uint16_t FmMarkOpening = static_cast<std::uint16_t>(HalfClocked(0xF500) >> 16);
constexpr std::size_t FmOpeningLag = 16;  // cells from the opening's end to the mark's
constexpr std::size_t PatternCells = 16;

// A bit for each cell of `current`, set when `pattern` ends `lag` cells
// before it; `previous` holds the cells before `current`.
std::uint64_t PatternEnds(std::uint64_t previous, std::uint64_t current, std::uint16_t pattern,
                          std::size_t lag)
{
    std::uint64_t ends = ~std::uint64_t{0};
    for (std::size_t k = 0; k < PatternCells; ++k) {
        const std::size_t back = lag + k;  // each cell set against the one `back` before it
        const std::uint64_t earlier =
            back == 0 ? current : (current >> back) | (previous << (CellStream::WordBits - back));
        ends &= ((unsigned{pattern} >> k) & 1U) != 0 ? earlier : ~earlier;
    }
    return ends;
}

}  // namespace

// The patterns are matched for 64 cells at once, and only the cells where
// one ends are tried as the end of a mark.
std::vector<TrackMark> FindMarks(const CellStream& cells)
{
    std::vector<TrackMark> marks;
    std::uint64_t previous = 0;
    for (std::size_t word = 0; word * CellStream::WordBits < cells.Size(); ++word) {
        const std::uint64_t current = cells.Word(word);
        std::uint64_t candidates = PatternEnds(previous, current, LastA1, 0) |
                                   PatternEnds(previous, current, FmMarkOpening, FmOpeningLag);
        previous = current;
        for (std::size_t last = word * CellStream::WordBits; candidates != 0 && last < cells.Size();
             ++last, candidates <<= 1) {
            if ((candidates & CellStream::TopBit) != 0) {
                AddMarkEndingAt(cells, last, marks);
            }
        }
    }
    return marks;
}

bool ReadBytes(const CellStream& cells, std::size_t first, const ByteCoding& coding,
               unsigned char* bytes, std::size_t count)
{
    if (first > cells.Size() || count > (cells.Size() - first) / coding.CellsPerByte()) {
        return false;
    }
    std::size_t cell = first + coding.dataCell;
    for (std::size_t i = 0; i < count; ++i) {
        unsigned value = 0;
        for (int bit = 0; bit < 8; ++bit) {
            value = (value << 1) | (cells.Cell(cell) ? 1U : 0U);
            cell += coding.cellsPerBit;
        }
        bytes[i] = static_cast<unsigned char>(value);
    }
    return true;
}
