#include "FormatImageBuilders.h"

#include <algorithm>
#include <array>
#include <optional>

#include "FluxFileWriters.h"
#include "FluxSynthesiser.h"

namespace {

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

// DIM media type -> sectors and size code of its tracks.
struct DimGeometry {
    std::uint8_t mediaType;
    int sectors;
    std::uint8_t n;
};
constexpr std::array<DimGeometry, 6> DimGeometries{
    {{0x00, 8, 3}, {0x01, 9, 3}, {0x02, 15, 2}, {0x03, 9, 3}, {0x09, 18, 2}, {0x11, 26, 1}}};

DimGeometry DimGeometryOf(std::uint8_t mediaType)
{
    for (const DimGeometry& geometry : DimGeometries) {
        if (geometry.mediaType == mediaType) {
            return geometry;
        }
    }
    return DimGeometries[0];
}

// A track's sectors in the disk's order, padded to the geometry's.
Bytes DimTrack(const std::vector<BuiltSector>& sectors, const DimGeometry& geometry)
{
    Bytes bytes;
    for (std::size_t k = 0; k < static_cast<std::size_t>(geometry.sectors); ++k) {
        Bytes data = k < sectors.size() ? sectors[k].data : Bytes{};
        data.resize(std::size_t{128} << geometry.n, 0);
        Append(bytes, data);
    }
    return bytes;
}

// The value every byte of the data holds, when there is one.
std::optional<std::uint8_t> FillByte(const Bytes& data)
{
    if (data.empty() || std::any_of(data.begin(), data.end(),
                                    [&](std::uint8_t byte) { return byte != data.front(); })) {
        return std::nullopt;
    }
    return data.front();
}

void PutFddEntry(Bytes& bytes, std::size_t offset, const BuiltSector& sector, bool highDensity,
                 const FddOptions& options)
{
    const std::optional<std::uint8_t> fill =
        options.fillSectors ? FillByte(sector.data) : std::nullopt;
    const std::array<std::uint8_t, 8> fields{sector.c,
                                             sector.h,
                                             sector.r,
                                             sector.n,
                                             fill.value_or(0xFF),
                                             sector.deleted ? std::uint8_t{1} : std::uint8_t{0},
                                             sector.fm ? std::uint8_t{0} : std::uint8_t{1},
                                             highDensity ? std::uint8_t{1} : std::uint8_t{0}};
    std::copy(fields.begin(), fields.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
    PutLe(bytes, offset + 8, fill ? 0xFFFFFFFFU : static_cast<std::uint32_t>(bytes.size()), 4);
    if (!fill) {
        Append(bytes, sector.data);
    }
}

std::uint8_t ImdDataType(const BuiltSector& sector)
{
    const bool compressed = FillByte(sector.data).has_value();
    return static_cast<std::uint8_t>(1 + (compressed ? 1 : 0) + (sector.deleted ? 2 : 0) +
                                     (sector.status == 0xB0 ? 4 : 0));
}

// The head byte's map flags, then the maps: R, C if any C is not the
// cylinder, H if any H is not the side, sizes if asked or they differ.
Bytes ImdIdMaps(int track, const std::vector<BuiltSector>& sectors, std::uint8_t& head,
                std::uint8_t& sizeCode, bool sizeTable)
{
    Bytes r;
    Bytes c;
    Bytes h;
    Bytes sizes(2 * sectors.size());
    for (std::size_t k = 0; k < sectors.size(); ++k) {
        r.push_back(sectors[k].r);
        c.push_back(sectors[k].c);
        h.push_back(sectors[k].h);
        PutLe(sizes, 2 * k, 128U << sectors[k].n, 2);
        if (sectors[k].c != track / 2) {
            head |= 0x80;
        }
        if (sectors[k].h != track % 2) {
            head |= 0x40;
        }
        sizeTable = sizeTable || sectors[k].n != sectors[0].n;
    }
    sizeCode = sizeTable ? 0xFF : sectors[0].n;
    Bytes maps = r;
    Append(maps, (head & 0x80) != 0 ? c : Bytes{});
    Append(maps, (head & 0x40) != 0 ? h : Bytes{});
    Append(maps, sizeTable ? sizes : Bytes{});
    return maps;
}

Bytes ImdTrackRecord(int track, const std::vector<BuiltSector>& sectors, bool highRate,
                     const ImdOptions& options)
{
    auto head = static_cast<std::uint8_t>(track % 2);
    std::uint8_t sizeCode = 0;
    const Bytes maps = ImdIdMaps(track, sectors, head, sizeCode, options.sizeTable);
    const int mode = (highRate ? 0 : 2) + (sectors[0].fm ? 0 : 3);
    Bytes bytes{static_cast<std::uint8_t>(mode), static_cast<std::uint8_t>(track / 2), head,
                static_cast<std::uint8_t>(sectors.size()), sizeCode};
    Append(bytes, maps);
    for (std::size_t k = 0; k < sectors.size(); ++k) {
        if (options.unreadable.count({track, k}) != 0) {
            bytes.push_back(0);
            continue;
        }
        const std::uint8_t type = ImdDataType(sectors[k]);
        bytes.push_back(type);
        Append(bytes, type % 2 == 0 ? Bytes{sectors[k].data.front()} : sectors[k].data);
    }
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

Bytes BuildDim(const D88ImageBuilder& disk, std::uint8_t mediaType, bool packed)
{
    const DimGeometry geometry = DimGeometryOf(mediaType);
    const std::size_t trackSize =
        (std::size_t{128} << geometry.n) * static_cast<std::size_t>(geometry.sectors);
    Bytes bytes(0x100, 0);
    bytes[0] = mediaType;
    const std::string magic = "DIFC HEADER  ";
    std::copy(magic.begin(), magic.end(), bytes.begin() + 0xAB);
    const Bytes& name = disk.GetName();
    std::copy_n(name.begin(), std::min<std::size_t>(name.size(), 61), bytes.begin() + 0xC2);
    for (const auto& [track, sectors] : disk.Tracks()) {
        bytes[1 + static_cast<std::size_t>(track)] = 1;
        if (!packed) {
            bytes.resize(0x100 + trackSize * static_cast<std::size_t>(track), 0);
        }
        Append(bytes, DimTrack(sectors, geometry));
    }
    return bytes;
}

Bytes BuildFdd(const D88ImageBuilder& disk, const FddOptions& options)
{
    constexpr std::size_t MapAt = 0xDC;
    Bytes bytes(0xC3FC, 0);
    const std::string magic = std::string("VFD1.0") + options.version;
    std::copy(magic.begin(), magic.end(), bytes.begin());
    const Bytes& name = disk.GetName();
    std::copy(name.begin(), name.end(), bytes.begin() + 0x08);
    bytes[0x88] = options.writeProtected ? 1 : 0;
    std::fill_n(bytes.begin() + MapAt, std::size_t{160} * 26 * 12, 0xFF);
    const bool highDensity = disk.GetMediaType() == 0x20;
    for (const auto& [track, sectors] : disk.Tracks()) {
        for (std::size_t slot = 0; slot < sectors.size(); ++slot) {
            const std::size_t entry = static_cast<std::size_t>(track) * 26 + slot;
            PutFddEntry(bytes, MapAt + 12 * entry, sectors[slot], highDensity, options);
        }
    }
    return bytes;
}

Bytes BuildImd(const D88ImageBuilder& disk, const ImdOptions& options)
{
    const std::string text = "IMD 1.18: 07/12/2026 14:46:06\r\n" + options.comment + "\x1A";
    Bytes bytes(text.begin(), text.end());
    std::vector<Bytes> records;
    for (const auto& [track, sectors] : disk.Tracks()) {
        records.push_back(ImdTrackRecord(track, sectors, disk.GetMediaType() == 0x20, options));
    }
    if (options.reverseTracks) {
        std::reverse(records.begin(), records.end());
    }
    for (const Bytes& record : records) {
        Append(bytes, record);
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
    case ImageFormat::Scp:
        return WriteScp(SynthesiseDisk(disk));
    case ImageFormat::Hfe:
        return WriteHfe(SynthesiseDisk(disk), 3);
    case ImageFormat::Kryoflux:
        // A folder of files, one a track: WriteKryofluxFolder.
        return {};
    case ImageFormat::Dim:
        return BuildDim(disk);
    case ImageFormat::Fdd:
        return BuildFdd(disk);
    case ImageFormat::Imd:
        return BuildImd(disk);
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
