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

}  // namespace

std::vector<TrackMark> FindMarks(const CellStream& cells)
{
    std::vector<TrackMark> marks;
    std::uint64_t window = 0;
    for (std::size_t cell = 0; cell < cells.Size(); ++cell) {
        window = (window << 1) | (cells.Cell(cell) ? 1U : 0U);
        if (cell + 1 >= MfmSyncCells && (window & MfmSyncMask) == MfmSync) {
            AddMfmMark(cells, cell + 1, marks);
        } else {
            AddFmMark(window, cell + 1, marks);
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
