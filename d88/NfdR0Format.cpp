// NFD revision 0: a fixed table of 163 tracks x 26 sector entries, then each
// present entry's data, 128 << N bytes, in table order.
//
// The file is NFD r0 only when its header is whole and consistent: the
// magic, a header size of at least the fixed table and at most the file, and
// a size code of 0..7 in every present entry (a larger one would leave every
// later sector's place unknown). The data may be cut short: a sector whose
// data runs past the end of the file is absent, and so is every one after it.
#include "FormatReaders.h"

namespace {

constexpr std::size_t TableAt = NfdCommonHeaderSize;
constexpr int TableTracks = 163;
constexpr int SlotsPerTrack = 26;
constexpr std::size_t TableEnd = TableAt + std::size_t{TableTracks} * SlotsPerTrack * NfdRecordSize;
constexpr std::uint64_t MinHeaderSize = 0x10A10;
constexpr std::size_t DeviceTypeAt = 0xA;

const unsigned char* EntryAt(const std::vector<unsigned char>& header, int track, int slot)
{
    const std::size_t index =
        static_cast<std::size_t>(track) * SlotsPerTrack + static_cast<std::size_t>(slot);
    return header.data() + TableAt + index * NfdRecordSize;
}

}  // namespace

std::optional<D88Bytes> ConvertNfdR0(ByteSource& source)
{
    const std::uint64_t fileSize = source.Size();
    std::vector<unsigned char> header(TableEnd);
    if (fileSize < MinHeaderSize || !ReadExactly(source, 0, header.data(), header.size())) {
        return std::nullopt;
    }
    const std::optional<std::uint64_t> dataStart =
        NfdDataStart(header.data(), '0', MinHeaderSize, fileSize);
    if (!dataStart) {
        return std::nullopt;
    }
    std::optional<std::uint32_t> deviceType;
    for (int track = 0; track < TableTracks; ++track) {
        for (int slot = 0; slot < SlotsPerTrack; ++slot) {
            const unsigned char* entry = EntryAt(header, track, slot);
            if (entry[0] == NfdAbsentCylinder) {
                continue;
            }
            if (entry[3] > d88::MaxSizeCode) {
                return std::nullopt;
            }
            if (!deviceType) {
                deviceType = entry[DeviceTypeAt];
            }
        }
    }
    D88ImageWriter writer = NfdImageWriter(
        header.data(), MediaTypeOfDevice(deviceType.value_or(0)).value_or(d88::Media2HD));
    std::uint64_t offset = *dataStart;
    for (int track = 0; track < TableTracks; ++track) {
        for (int slot = 0; slot < SlotsPerTrack; ++slot) {
            const unsigned char* entry = EntryAt(header, track, slot);
            if (entry[0] == NfdAbsentCylinder) {
                continue;
            }
            const std::size_t dataSize = std::size_t{128} << entry[3];
            if (!writer.AddSector(track, NfdSectorFields(entry), source, offset, dataSize)) {
                return writer.Finish();
            }
            offset += dataSize;
        }
    }
    return writer.Finish();
}
