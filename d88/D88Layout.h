// The layout of a D88 image: where each field of the image header and of a
// sector header lies, and the values its marks take. Every part of the
// library, the programs and the tests that reads or writes D88 bytes takes
// its offsets from here.
//
//   image header (0x2B0 bytes)          sector header (16 bytes)
//   0x00  name, 17 bytes                0  C      1  H      2  R      3  N
//   0x1A  write-protect                 4  sectors in the track (16-bit)
//   0x1B  media type                    6  density  7  deleted mark  8  status
//   0x1C  disk size (32-bit)            14 data size (16-bit)
//   0x20  164 track offsets (32-bit)
#pragma once

#include <cstddef>
#include <cstdint>

namespace d88 {

inline constexpr std::size_t ImageHeaderSize = 0x2B0;
inline constexpr std::size_t NameField = 0x00;
inline constexpr std::size_t NameFieldSize = 17;
// A name uses at most 16 bytes of its field, up to its first NUL.
inline constexpr std::size_t NameLength = 16;
inline constexpr std::size_t WriteProtectField = 0x1A;
inline constexpr std::size_t MediaTypeField = 0x1B;
inline constexpr std::size_t DiskSizeField = 0x1C;
inline constexpr std::size_t TrackTableField = 0x20;
inline constexpr std::size_t TrackCount = 164;
inline constexpr std::size_t TrackEntrySize = 4;

inline constexpr std::size_t SectorHeaderSize = 16;
inline constexpr std::size_t CylinderField = 0;
inline constexpr std::size_t HeadField = 1;
inline constexpr std::size_t RecordField = 2;
inline constexpr std::size_t SizeCodeField = 3;
inline constexpr std::size_t SectorCountField = 4;
inline constexpr std::size_t DensityField = 6;
inline constexpr std::size_t DeletedMarkField = 7;
inline constexpr std::size_t StatusField = 8;
inline constexpr std::size_t DataSizeField = 14;

// Size codes 0..7: sectors of 128 to 16,384 bytes.
inline constexpr std::uint8_t MaxSizeCode = 7;

inline constexpr std::uint8_t WriteProtectOff = 0x00;
inline constexpr std::uint8_t WriteProtectOn = 0x10;

inline constexpr std::uint8_t Media2D = 0x00;
inline constexpr std::uint8_t Media2DD = 0x10;
inline constexpr std::uint8_t Media2HD = 0x20;
inline constexpr std::uint8_t Media1D = 0x30;
inline constexpr std::uint8_t Media1DD = 0x40;

inline constexpr std::uint8_t DensityMfm = 0x00;
inline constexpr std::uint8_t DensityFm = 0x40;

inline constexpr std::uint8_t NormalDataMark = 0x00;
inline constexpr std::uint8_t DeletedDataMark = 0x10;

// Status bytes the controller reported for a sector (the uPD765's result,
// as D88 records it); 0x00 is a clean read.
inline constexpr std::uint8_t StatusGood = 0x00;
// Read cleanly, with a deleted data mark.
inline constexpr std::uint8_t StatusDeletedData = 0x10;
inline constexpr std::uint8_t StatusIdCrcError = 0xA0;
inline constexpr std::uint8_t StatusDataCrcError = 0xB0;
inline constexpr std::uint8_t StatusNoAddressMark = 0xE0;
inline constexpr std::uint8_t StatusNoDataMark = 0xF0;

// Whether a status says the sector's bytes are not what the disk holds.
// Other values (0x10 for deleted data among them) are not read errors.
constexpr bool IsReadError(std::uint8_t status)
{
    return status == StatusIdCrcError || status == StatusDataCrcError ||
           status == StatusNoAddressMark || status == StatusNoDataMark;
}

}  // namespace d88
