// NFD revision 1: a fixed header with the file offset of each track's block,
// the blocks (sector records, then "diag" records of special reads), then the
// data of each track: for each sector record (1 + retries) copies of its
// 128 << N bytes, of which the first is its data, then for each diag record
// (1 + retries) x its data length bytes.
//
// The file is NFD r1 only when its header is whole and consistent: the
// magic, a header size between the fixed header and the file size, every
// track block after the fixed header and wholly before the data, and a size
// code of 0..7 in every sector record. The data may be cut short: a sector
// whose data runs past the end of the file is absent, and so is every one
// after it.
#include <array>

#include "FormatReaders.h"
#include "LittleEndian.h"

namespace {

constexpr std::size_t FixedHeaderSize = 0x3C0;
constexpr std::size_t TrackOffsetsAt = NfdCommonHeaderSize;
constexpr int TrackCount = 164;
constexpr std::size_t BlockHeaderSize = 16;
constexpr std::size_t RetriesAt = 0xA;
constexpr std::size_t DeviceTypeAt = 0xB;
constexpr std::size_t DiagRetriesAt = 0x9;
constexpr std::size_t DiagLengthAt = 0xA;

struct TrackBlock {
    std::size_t recordsAt = 0;
    std::size_t sectors = 0;
    std::size_t diags = 0;
};

// The track blocks of a consistent header area; nullopt when one breaks the
// format's rules. A track without a block has no records.
std::optional<std::array<TrackBlock, TrackCount>>
TrackBlocks(const std::vector<unsigned char>& area)
{
    std::array<TrackBlock, TrackCount> blocks{};
    for (std::size_t track = 0; track < blocks.size(); ++track) {
        const std::size_t blockAt = DecodeLe32(&area[TrackOffsetsAt + 4 * track]);
        if (blockAt == 0) {
            continue;
        }
        if (blockAt < FixedHeaderSize || blockAt > area.size() ||
            area.size() - blockAt < BlockHeaderSize) {
            return std::nullopt;
        }
        TrackBlock& block = blocks[track];
        block.recordsAt = blockAt + BlockHeaderSize;
        block.sectors = DecodeLe16(&area[blockAt]);
        block.diags = DecodeLe16(&area[blockAt + 2]);
        if ((area.size() - block.recordsAt) / NfdRecordSize < block.sectors + block.diags) {
            return std::nullopt;
        }
        for (std::size_t k = 0; k < block.sectors; ++k) {
            if (area[block.recordsAt + k * NfdRecordSize + 3] > d88::MaxSizeCode) {
                return std::nullopt;
            }
        }
    }
    return blocks;
}

// Moves `offset` past `length` bytes; false once that passes the end of the file.
bool Skip(std::uint64_t& offset, std::uint64_t length, std::uint64_t fileSize)
{
    if (length > fileSize - offset) {
        return false;
    }
    offset += length;
    return true;
}

// Adds a track's sectors; false once the data runs past the end of the file.
bool AddTrack(D88ImageWriter& writer, int track, const TrackBlock& block,
              const std::vector<unsigned char>& area, ByteSource& source, std::uint64_t& offset)
{
    const std::uint64_t fileSize = source.Size();
    const unsigned char* record = &area[block.recordsAt];
    for (std::size_t k = 0; k < block.sectors; ++k, record += NfdRecordSize) {
        const std::size_t dataSize = std::size_t{128} << record[3];
        if (!writer.AddSector(track, NfdSectorFields(record), source, offset, dataSize) ||
            !Skip(offset, (std::uint64_t{1} + record[RetriesAt]) * dataSize, fileSize)) {
            return false;
        }
    }
    for (std::size_t k = 0; k < block.diags; ++k, record += NfdRecordSize) {
        const std::uint64_t copies = std::uint64_t{1} + record[DiagRetriesAt];
        if (!Skip(offset, copies * DecodeLe32(record + DiagLengthAt), fileSize)) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<D88Bytes> ConvertNfdR1(ByteSource& source)
{
    const std::uint64_t fileSize = source.Size();
    std::vector<unsigned char> fixedHeader(FixedHeaderSize);
    if (!ReadExactly(source, 0, fixedHeader.data(), fixedHeader.size())) {
        return std::nullopt;
    }
    const std::optional<std::uint64_t> dataStart =
        NfdDataStart(fixedHeader.data(), '1', FixedHeaderSize, fileSize);
    if (!dataStart) {
        return std::nullopt;
    }
    // The whole header area, no larger than the file.
    std::vector<unsigned char> area(static_cast<std::size_t>(*dataStart));
    if (!ReadExactly(source, 0, area.data(), area.size())) {
        return std::nullopt;
    }
    const auto blocks = TrackBlocks(area);
    if (!blocks) {
        return std::nullopt;
    }
    std::uint32_t deviceType = 0;
    for (const TrackBlock& block : *blocks) {
        if (block.sectors != 0) {
            deviceType = area[block.recordsAt + DeviceTypeAt];
            break;
        }
    }
    D88ImageWriter writer =
        NfdImageWriter(area.data(), MediaTypeOfDevice(deviceType).value_or(d88::Media2HD));
    std::uint64_t offset = *dataStart;
    for (int track = 0; track < TrackCount; ++track) {
        if (!AddTrack(writer, track, (*blocks)[static_cast<std::size_t>(track)], area, source,
                      offset)) {
            break;
        }
    }
    return writer.Finish();
}
