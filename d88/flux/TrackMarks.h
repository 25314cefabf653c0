// The address marks of IBM-style MFM and FM tracks, found in a cell stream,
// and the bytes of the fields that follow them.
#pragma once

#include <cstddef>
#include <vector>

#include "CellStream.h"

enum class MarkKind : unsigned char { Id, Data, DeletedData };

// How a byte lies in the cells. MFM: a clock cell, then a data cell, per
// bit. FM is clocked at half its cell, so each of its cells is a zero cell
// and then the cell itself: four cells per bit, the data in the last.
struct ByteCoding {
    std::size_t cellsPerBit;
    std::size_t dataCell;
    [[nodiscard]] std::size_t CellsPerByte() const { return 8 * cellsPerBit; }
};
constexpr ByteCoding MfmCoding{2, 1};
constexpr ByteCoding FmCoding{4, 3};

struct TrackMark {
    std::size_t start;       // the first cell of the mark (MFM: of its first A1)
    std::size_t fieldStart;  // the first cell after the mark byte
    MarkKind kind;
    unsigned char value;  // the mark byte: FE, FB or F8
    bool fm;
};

// Every ID, data and deleted-data mark, in the order of the stream. MFM
// marks are three A1 syncs (raw 0x4489) and the mark byte; FM marks are the
// mark with its missing clocks, after a 00 byte.
std::vector<TrackMark> FindMarks(const CellStream& cells);

// Reads `count` bytes from cell `first`; false when the stream ends first.
bool ReadBytes(const CellStream& cells, std::size_t first, const ByteCoding& coding,
               unsigned char* bytes, std::size_t count);
