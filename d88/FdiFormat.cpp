// FDI: a 32-byte header, padding up to the header size it records, then a
// raw image laid out cylinder by cylinder, head by head, R = 1..spt.
//
// The file is FDI only when the header's first word is zero, its device type
// names a floppy media, its geometry is sane (a sector size that is a power
// of two from 128 to 16,384 bytes, 1..255 sectors a track, two surfaces and
// at most the 82 cylinders a D88 image holds) and the file is exactly the
// header size plus the geometry's bytes. Anything else is not FDI: a raw
// image renamed .fdi then still has its chance as HDM.
#include "FormatReaders.h"
#include "LittleEndian.h"

namespace {

constexpr std::size_t HeaderSize = 32;
constexpr std::size_t DeviceTypeAt = 0x04;
constexpr std::size_t DataStartAt = 0x08;
constexpr std::size_t SectorSizeAt = 0x10;
constexpr std::size_t SectorsAt = 0x14;
constexpr std::size_t SurfacesAt = 0x18;
constexpr std::size_t CylindersAt = 0x1C;
constexpr std::uint32_t MaxSectors = 255;
constexpr std::uint32_t Surfaces = 2;
constexpr std::uint32_t MaxCylinders = d88::TrackCount / 2;

}  // namespace

std::optional<D88Bytes> ConvertFdi(ByteSource& source)
{
    unsigned char header[HeaderSize];
    if (!ReadExactly(source, 0, header, HeaderSize) || DecodeLe32(header) != 0) {
        return std::nullopt;
    }
    const std::optional<unsigned char> mediaType =
        MediaTypeOfDevice(DecodeLe32(header + DeviceTypeAt));
    const std::uint32_t dataStart = DecodeLe32(header + DataStartAt);
    const std::uint32_t sectorSize = DecodeLe32(header + SectorSizeAt);
    const std::optional<unsigned char> n = SizeCodeOf(sectorSize);
    const std::uint32_t sectors = DecodeLe32(header + SectorsAt);
    const std::uint32_t cylinders = DecodeLe32(header + CylindersAt);
    if (!mediaType || !n || dataStart < HeaderSize || sectors == 0 || sectors > MaxSectors ||
        DecodeLe32(header + SurfacesAt) != Surfaces || cylinders == 0 || cylinders > MaxCylinders) {
        return std::nullopt;
    }
    const std::uint64_t trackSize = std::uint64_t{sectorSize} * sectors;
    const std::uint32_t tracks = cylinders * Surfaces;
    if (source.Size() != dataStart + trackSize * tracks) {
        return std::nullopt;
    }
    D88ImageWriter writer(nullptr, 0, *mediaType, false);
    for (std::uint32_t track = 0; track < tracks; ++track) {
        if (!writer.AddPlainTrack(static_cast<int>(track), static_cast<int>(sectors), *n, false,
                                  source, dataStart + trackSize * track)) {
            break;
        }
    }
    return writer.Finish();
}
