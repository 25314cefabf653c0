// The readers of the image formats other than D88, and what they share.
// Each reader returns the file converted to one D88 image, or nullopt when
// the file's bytes do not prove that format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "ByteSource.h"
#include "D88ImageWriter.h"

using D88Bytes = std::vector<unsigned char>;

std::optional<D88Bytes> ConvertNfdR0(ByteSource& source);
std::optional<D88Bytes> ConvertNfdR1(ByteSource& source);
std::optional<D88Bytes> ConvertFdi(ByteSource& source);
std::optional<D88Bytes> ConvertDcp(ByteSource& source);
std::optional<D88Bytes> ConvertTd0(ByteSource& source);
std::optional<D88Bytes> ConvertHdm(ByteSource& source);
std::optional<D88Bytes> ConvertDim(ByteSource& source);
std::optional<D88Bytes> ConvertFdd(ByteSource& source);
std::optional<D88Bytes> ConvertImd(ByteSource& source);

// True for a TD0 file whose header says Teledisk before 2.0 compressed it
// (LZW), which ConvertTd0 does not read.
bool IsOldTeledisk(ByteSource& source);

// False when the source ends before `count` bytes from `offset`.
inline bool ReadExactly(ByteSource& source, std::uint64_t offset, unsigned char* dest,
                        std::size_t count)
{
    return source.ReadAt(offset, dest, count) == count;
}

// The size code of a sector size in bytes, when it is one (0..7).
inline std::optional<unsigned char> SizeCodeOf(std::uint32_t sectorSize)
{
    for (unsigned char code = 0; code <= d88::MaxSizeCode; ++code) {
        if (sectorSize == (std::uint32_t{128} << code)) {
            return code;
        }
    }
    return std::nullopt;
}

// BIOS READ DATA results that formats recording marks and errors give.

// The most sector data one track of a converted image may hold. A turn of a
// 2HD track holds about 10 KB; this leaves room for four 16 KiB sectors, as
// copy-protected tracks declare them, yet keeps an image whose sectors repeat
// one stored byte, or share stored data, within 164 x 64 KiB.
constexpr std::size_t MaxTrackData = 0x10000;

// Appends a sector whose `size` bytes all hold `fill`: a sector the file
// stores as that one byte.
inline bool AddFilledSector(D88ImageWriter& writer, int trackIndex, const D88SectorFields& fields,
                            unsigned char fill, std::size_t size)
{
    MemoryByteSource data(std::vector<unsigned char>(size, fill));
    return writer.AddSector(trackIndex, fields, data, 0, size);
}

// The D88 media byte of a disk recorded at 500 kbit/s (2HD); of one recorded
// slower, 2DD when it has more cylinders than a 2D disk, else 2D.
unsigned char MediaTypeOfRate(bool highRate, int cylinders);

// The D88 media byte of a PC-98 device type code (the high nibble tells the
// media); nullopt for a code that names no floppy media.
std::optional<unsigned char> MediaTypeOfDevice(std::uint32_t deviceType);

// NFD, both revisions: the file starts with the same 0x120 bytes.
constexpr std::size_t NfdCommonHeaderSize = 0x120;
constexpr std::size_t NfdRecordSize = 16;
// The start of the data, when the first 0x120 bytes carry the magic of
// revision `revision` ('0' or '1') and the header size lies within
// minHeaderSize..fileSize.
std::optional<std::uint64_t> NfdDataStart(const unsigned char* header, char revision,
                                          std::uint64_t minHeaderSize, std::uint64_t fileSize);
// An empty image named after the file's comment, write-protected as it says.
D88ImageWriter NfdImageWriter(const unsigned char* header, unsigned char mediaType);
// The fields of an r0 sector entry or r1 sector record (the same first ten bytes).
D88SectorFields NfdSectorFields(const unsigned char* record);
// An r0 entry or r1 record for no sector.
constexpr unsigned char NfdAbsentCylinder = 0xFF;
