#include "SectorReadings.h"

#include <array>
#include <cstdint>

#include "Crc16.h"
#include "D88ImageWriter.h"

namespace {

constexpr std::size_t IdBytes = 4;
constexpr std::size_t CrcBytes = 2;
constexpr std::array<unsigned char, 3> MfmSyncBytes{0xA1, 0xA1, 0xA1};
// Data fields together read each cell of the stream at most this often: an
// ID whose N claims more than its sector holds reads across the sectors
// after it, but no track needs more, and a hostile one gets no further.
constexpr std::size_t DataCoverage = 4;

enum class FieldRead { Good, BadCrc, Incomplete };

ByteCoding CodingOf(const TrackMark& mark)
{
    return mark.fm ? FmCoding : MfmCoding;
}

// Reads `size` bytes and the CRC after them. The CRC of MFM covers the
// three A1 syncs, that of FM starts at the mark.
FieldRead ReadField(const CellStream& cells, const TrackMark& mark, unsigned char* bytes,
                    std::size_t size)
{
    if (!ReadBytes(cells, mark.fieldStart, CodingOf(mark), bytes, size + CrcBytes)) {
        return FieldRead::Incomplete;
    }
    std::uint16_t crc = Crc16Preset;
    if (!mark.fm) {
        crc = UpdateCrc16(crc, MfmSyncBytes.data(), MfmSyncBytes.size());
    }
    crc = UpdateCrc16(crc, &mark.value, 1);
    return UpdateCrc16(crc, bytes, size + CrcBytes) == 0 ? FieldRead::Good : FieldRead::BadCrc;
}

class Reader {
public:
    Reader(const CellStream& cells, const std::vector<TrackMark>& marks)
        : cells_(cells), marks_(marks), budget_(DataCoverage * cells.Size())
    {
    }

    TrackReadings Read()
    {
        for (std::size_t i = 0; i < marks_.size(); ++i) {
            if (marks_[i].kind == MarkKind::Id) {
                ReadSector(i);
            }
        }
        return std::move(readings_);
    }

private:
    void ReadSector(std::size_t idMark)
    {
        const TrackMark& mark = marks_[idMark];
        std::array<unsigned char, IdBytes + CrcBytes> idField{};
        const FieldRead idRead = ReadField(cells_, mark, idField.data(), IdBytes);
        if (idRead != FieldRead::Good) {
            readings_.idCrcErrors += idRead == FieldRead::BadCrc ? 1 : 0;
            return;
        }
        SectorReading reading;
        Locate(mark.start, reading);
        reading.c = idField[0];
        reading.h = idField[1];
        reading.r = idField[2];
        reading.n = idField[3];
        reading.fm = mark.fm;
        const std::size_t cellsPerByte = CodingOf(mark).CellsPerByte();
        const std::size_t idEnd = mark.fieldStart + idField.size() * cellsPerByte;
        const std::size_t gapEnd = idEnd + MaxGapBytes * cellsPerByte;
        const TrackMark* data = idMark + 1 < marks_.size() ? &marks_[idMark + 1] : nullptr;
        if (data != nullptr && data->kind != MarkKind::Id && data->fm == mark.fm &&
            data->start >= idEnd && data->start <= gapEnd) {
            if (!ReadData(*data, reading)) {
                return;
            }
        } else if (gapEnd > cells_.Size()) {
            return;
        }
        readings_.sectors.push_back(reading);
    }

    // False when the capture ends inside the field.
    bool ReadData(const TrackMark& mark, SectorReading& reading)
    {
        if (reading.n > d88::MaxSizeCode) {
            return true;
        }
        const std::size_t size = std::size_t{128} << reading.n;
        const std::size_t cost = (size + CrcBytes) * CodingOf(mark).CellsPerByte();
        if (cost > budget_) {
            return true;
        }
        std::vector<unsigned char>& data = readings_.data;
        const std::size_t start = data.size();
        data.resize(start + size + CrcBytes);
        const FieldRead read = ReadField(cells_, mark, &data[start], size);
        data.resize(read == FieldRead::Incomplete ? start : start + size);
        if (read == FieldRead::Incomplete) {
            return false;
        }
        budget_ -= cost;
        reading.data = read == FieldRead::Good ? DataRead::Good : DataRead::BadCrc;
        reading.deleted = mark.kind == MarkKind::DeletedData;
        reading.dataAt = start;
        return true;
    }

    // Marks come in stream order, so the revolution only moves forwards.
    void Locate(std::size_t cell, SectorReading& reading)
    {
        const std::vector<std::size_t>& starts = cells_.RevolutionStarts();
        while (revolution_ + 1 < starts.size() && starts[revolution_ + 1] <= cell) {
            ++revolution_;
        }
        reading.revolution = revolution_;
        reading.place = cell - starts[revolution_];
    }

    const CellStream& cells_;
    const std::vector<TrackMark>& marks_;
    std::size_t budget_;
    std::size_t revolution_ = 0;
    TrackReadings readings_;
};

}  // namespace

TrackReadings ReadSectors(const CellStream& cells, const std::vector<TrackMark>& marks)
{
    return Reader(cells, marks).Read();
}
