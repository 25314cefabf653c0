#include "FormatImageBuilders.h"

#include <algorithm>
#include <array>

namespace {

void PutLe(Bytes& bytes, std::size_t offset, std::uint32_t value, std::size_t width)
{
    for (std::size_t i = 0; i < width; ++i) {
        bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

void Append(Bytes& bytes, const Bytes& more)
{
    bytes.insert(bytes.end(), more.begin(), more.end());
}

Bytes RawTrack(const D88ImageBuilder& disk, int track, const RawGeometry& geometry)
{
    Bytes bytes;
    for (int r = 1; r <= geometry.sectors; ++r) {
        Bytes data = disk.SectorData(track, static_cast<std::uint8_t>(r));
        data.resize(std::size_t{128} << geometry.n, 0);
        Append(bytes, data);
    }
    return bytes;
}

Bytes RawTracks(const D88ImageBuilder& disk, const RawGeometry& geometry)
{
    Bytes bytes;
    for (int track = 0; track < geometry.cylinders * 2; ++track) {
        Append(bytes, RawTrack(disk, track, geometry));
    }
    return bytes;
}

// BIOS status -> ST1, ST2 bits that say it.
struct ResultBytes {
    std::uint8_t status, st1, st2;
};
constexpr std::array<ResultBytes, 4> ResultBytesTable{
    {{0xB0, 0x20, 0x20}, {0xA0, 0x20, 0x00}, {0xE0, 0x01, 0x00}, {0xF0, 0x00, 0x01}}};

// Bytes 0..9 of an r0 entry or r1 sector record.
void PutSectorRecord(Bytes& bytes, std::size_t offset, const BuiltSector& sector,
                     const NfdOptions& options)
{
    const std::array<std::uint8_t, 7> fields{sector.c,
                                             sector.h,
                                             sector.r,
                                             sector.n,
                                             static_cast<std::uint8_t>(!sector.fm),
                                             sector.deleted ? std::uint8_t{1} : std::uint8_t{0},
                                             sector.status};
    std::copy(fields.begin(), fields.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
    bytes[offset + 7] = static_cast<std::uint8_t>(sector.h << 2);
    if (options.statusAsResultBytes) {
        bytes[offset + 6] = 0;
        for (const ResultBytes& result : ResultBytesTable) {
            if (result.status == sector.status) {
                bytes[offset + 8] = result.st1;
                bytes[offset + 9] = result.st2;
            }
        }
    }
}

Bytes NfdHeader(const D88ImageBuilder& disk, char revision, std::size_t headerSize,
                const NfdOptions& options)
{
    Bytes bytes(headerSize, 0);
    const std::string magic = std::string("T98FDDIMAGE.R") + revision;
    std::copy(magic.begin(), magic.end(), bytes.begin());
    std::copy(disk.GetName().begin(), disk.GetName().end(), bytes.begin() + 0x10);
    PutLe(bytes, 0x110, static_cast<std::uint32_t>(headerSize), 4);
    bytes[0x114] = options.writeProtected ? 1 : 0;
    bytes[0x115] = 2;
    return bytes;
}

}  // namespace

Bytes BuildHdm(const D88ImageBuilder& disk)
{
    return RawTracks(disk, RawGeometry{});
}

Bytes BuildFdi(const D88ImageBuilder& disk, const RawGeometry& geometry, std::uint32_t deviceType,
               std::uint32_t headerSize)
{
    Bytes bytes(headerSize, 0);
    const Bytes data = RawTracks(disk, geometry);
    const std::array<std::uint32_t, 7> fields{deviceType,
                                              headerSize,
                                              static_cast<std::uint32_t>(data.size()),
                                              128U << geometry.n,
                                              static_cast<std::uint32_t>(geometry.sectors),
                                              2,
                                              static_cast<std::uint32_t>(geometry.cylinders)};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        PutLe(bytes, 4 + 4 * i, fields[i], 4);
    }
    Append(bytes, data);
    return bytes;
}

Bytes BuildDcp(const D88ImageBuilder& disk, std::uint8_t mediaType, const RawGeometry& geometry,
               bool allTracksFlag)
{
    Bytes bytes(0xA2, 0);
    bytes[0] = mediaType;
    bytes[0xA1] = allTracksFlag ? 1 : 0;
    for (int track = 0; track < geometry.cylinders * 2; ++track) {
        if (disk.Tracks().count(track) != 0) {
            bytes[1 + static_cast<std::size_t>(track)] = 1;
            Append(bytes, RawTrack(disk, track, geometry));
        }
    }
    return bytes;
}

Bytes BuildNfdR0(const D88ImageBuilder& disk, const NfdOptions& options)
{
    Bytes bytes = NfdHeader(disk, '0', 0x10A10, options);
    for (std::size_t entry = 0; entry < std::size_t{163} * 26; ++entry) {
        std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(0x120 + 16 * entry), 4, 0xFF);
    }
    for (const auto& [track, sectors] : disk.Tracks()) {
        for (std::size_t slot = 0; slot < sectors.size(); ++slot) {
            const std::size_t offset = 0x120 + 16 * (static_cast<std::size_t>(track) * 26 + slot);
            PutSectorRecord(bytes, offset, sectors[slot], options);
            bytes[offset + 0xA] = 0x90;
            Append(bytes, sectors[slot].data);
        }
    }
    return bytes;
}

Bytes BuildNfdR1(const D88ImageBuilder& disk, const NfdOptions& options)
{
    std::size_t headerSize = 0x3C0;
    for (const auto& [track, sectors] : disk.Tracks()) {
        const auto diags = options.diags.find(track);
        const std::size_t diagCount = diags == options.diags.end() ? 0 : diags->second.size();
        headerSize += 16 + 16 * (sectors.size() + diagCount);
    }
    Bytes bytes = NfdHeader(disk, '1', headerSize, options);
    std::size_t blockAt = 0x3C0;
    for (const auto& [track, sectors] : disk.Tracks()) {
        const std::vector<NfdDiagRecord> diags = options.diags.count(track) != 0
                                                     ? options.diags.at(track)
                                                     : std::vector<NfdDiagRecord>{};
        PutLe(bytes, 0x120 + 4 * static_cast<std::size_t>(track),
              static_cast<std::uint32_t>(blockAt), 4);
        PutLe(bytes, blockAt, static_cast<std::uint32_t>(sectors.size()), 2);
        PutLe(bytes, blockAt + 2, static_cast<std::uint32_t>(diags.size()), 2);
        std::size_t offset = blockAt + 16;
        for (std::size_t k = 0; k < sectors.size(); ++k, offset += 16) {
            PutSectorRecord(bytes, offset, sectors[k], options);
            const auto retries = options.retries.find({track, k});
            const std::uint8_t copies = retries == options.retries.end() ? 0 : retries->second;
            bytes[offset + 0xA] = copies;
            bytes[offset + 0xB] = 0x90;
            Append(bytes, sectors[k].data);
            Bytes inverted = sectors[k].data;
            std::transform(inverted.begin(), inverted.end(), inverted.begin(),
                           [](std::uint8_t byte) { return static_cast<std::uint8_t>(~byte); });
            for (int copy = 0; copy < copies; ++copy) {
                Append(bytes, inverted);
            }
        }
        for (const NfdDiagRecord& diag : diags) {
            bytes[offset] = 0x02;  // READ DIAGNOSTIC
            bytes[offset + 9] = diag.retries;
            PutLe(bytes, offset + 0xA, diag.dataLength, 4);
            bytes[offset + 0xE] = 0x90;
            offset += 16;
            bytes.resize(bytes.size() + (std::size_t{1} + diag.retries) * diag.dataLength, 0xEE);
        }
        blockAt = offset;
    }
    return bytes;
}

Bytes BuildInFormat(ImageFormat format, const D88ImageBuilder& disk)
{
    switch (format) {
    case ImageFormat::Hdm:
        return BuildHdm(disk);
    case ImageFormat::Fdi:
        return BuildFdi(disk);
    case ImageFormat::NfdR0:
        return BuildNfdR0(disk);
    case ImageFormat::NfdR1:
        return BuildNfdR1(disk);
    case ImageFormat::Dcp:
        return BuildDcp(disk);
    case ImageFormat::Td0:
        return BuildTd0(disk);
    case ImageFormat::D88:
        break;
    }
    return disk.Build();
}

std::vector<BuiltSector> SelfDescribing(std::vector<BuiltSector> sectors)
{
    for (BuiltSector& sector : sectors) {
        const std::array<std::uint8_t, 4> ids{sector.c, sector.h, sector.r, sector.n};
        std::copy(ids.begin(), ids.end(), sector.data.begin());
    }
    return sectors;
}
