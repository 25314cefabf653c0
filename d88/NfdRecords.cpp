// What NFD revisions 0 and 1 share: the first 0x120 bytes of the header
// and the first ten bytes of a sector's record.
#include <cstring>

#include "FormatReaders.h"
#include "LittleEndian.h"

namespace {

constexpr char Magic[] = "T98FDDIMAGE.R";
constexpr std::size_t MagicLength = sizeof Magic - 1;
constexpr std::size_t CommentAt = 0x10;
constexpr std::size_t HeaderSizeAt = 0x110;
constexpr std::size_t ProtectAt = 0x114;

// BIOS READ DATA results, from the uPD765 result bytes when the record
// leaves its own status at zero.
constexpr unsigned char StatusIdCrc = 0xA0;
constexpr unsigned char StatusNoAddressMark = 0xE0;
constexpr unsigned char CrcError = 0x20;     // ST1 DE, ST2 DD
constexpr unsigned char MissingMark = 0x01;  // ST1 MA, ST2 MD

unsigned char StatusOf(const unsigned char* record, bool deleted)
{
    const unsigned char recorded = record[6];
    const unsigned char st1 = record[8];
    const unsigned char st2 = record[9];
    if (recorded != 0) {
        return recorded;
    }
    if ((st1 & CrcError) != 0) {
        return (st2 & CrcError) != 0 ? d88::StatusDataCrcError : StatusIdCrc;
    }
    if ((st1 & MissingMark) != 0) {
        return StatusNoAddressMark;
    }
    if ((st2 & MissingMark) != 0) {
        return d88::StatusNoDataMark;
    }
    return deleted ? d88::StatusDeletedData : 0;
}

}  // namespace

std::optional<std::uint64_t> NfdDataStart(const unsigned char* header, char revision,
                                          std::uint64_t minHeaderSize, std::uint64_t fileSize)
{
    if (std::memcmp(header, Magic, MagicLength) != 0 ||
        header[MagicLength] != static_cast<unsigned char>(revision) ||
        header[MagicLength + 1] != 0) {
        return std::nullopt;
    }
    const std::uint64_t headerSize = DecodeLe32(header + HeaderSizeAt);
    if (headerSize < minHeaderSize || headerSize > fileSize) {
        return std::nullopt;
    }
    return headerSize;
}

D88ImageWriter NfdImageWriter(const unsigned char* header, unsigned char mediaType)
{
    return D88ImageWriter(header + CommentAt, d88::NameLength, mediaType, header[ProtectAt] != 0);
}

D88SectorFields NfdSectorFields(const unsigned char* record)
{
    D88SectorFields fields;
    fields.c = record[0];
    fields.h = record[1];
    fields.r = record[2];
    fields.n = record[3];
    fields.fm = record[4] == 0;
    fields.deleted = record[5] != 0;
    fields.status = StatusOf(record, fields.deleted);
    return fields;
}
