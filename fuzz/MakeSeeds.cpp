// Writes the seed inputs for the fuzz targets: synthetic disks A and B of the
// title, damaged variants of them, files of several images, and images of
// other geometries, the title's disks in the other image formats and flux
// dumps, each a file in the folder given.
//
//   make_fuzz_seeds <folder>
//
// The title disks keep only the tracks the tool reads (the music tracks, the
// BIOS98 tracks and the disk A signature track), so they stay small and the
// fuzzer runs fast on them.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "D88ImageBuilder.h"
#include "D88Layout.h"
#include "FluxSeeds.h"
#include "FormatImageBuilders.h"
#include "LittleEndian.h"
#include "TitleDisks.h"

namespace {

constexpr int ToolTracks[] = {11, 12, 13, 14, 15, 100, 101, 102, 120};

D88ImageBuilder OnlyToolTracks(D88ImageBuilder disk)
{
    for (int track = 0; track < TitleTrackCount; ++track) {
        if (std::find(std::begin(ToolTracks), std::end(ToolTracks), track) ==
            std::end(ToolTracks)) {
            disk.RemoveTrack(track);
        }
    }
    return disk;
}

D88ImageBuilder SmallDiskA()
{
    return OnlyToolTracks(MakeDiskA());
}

D88ImageBuilder SmallDiskB()
{
    return OnlyToolTracks(MakeDiskB());
}

// The same image as some writers get it wrong: sector headers of 15 bytes,
// one reserved byte short, with the data size at offset 13.
Bytes WithFifteenByteSectorHeaders(const Bytes& image)
{
    Bytes converted(image.begin(), image.begin() + d88::ImageHeaderSize);
    for (std::size_t track = 0; track < d88::TrackCount; ++track) {
        const std::size_t entry = d88::TrackTableField + d88::TrackEntrySize * track;
        std::size_t offset = DecodeLe32(&image[entry]);
        if (offset == 0) {
            continue;
        }
        EncodeLe32(&converted[entry], converted.size());
        const std::size_t sectorCount = DecodeLe16(&image[offset + d88::SectorCountField]);
        for (std::size_t sector = 0; sector < sectorCount; ++sector) {
            const std::size_t dataSize = DecodeLe16(&image[offset + d88::DataSizeField]);
            const std::size_t sizeAt = offset + d88::DataSizeField;
            const std::size_t end = offset + d88::SectorHeaderSize + dataSize;
            // The header's last reserved byte, just before the data size, left out.
            converted.insert(converted.end(), image.begin() + static_cast<std::ptrdiff_t>(offset),
                             image.begin() + static_cast<std::ptrdiff_t>(sizeAt - 1));
            converted.insert(converted.end(), image.begin() + static_cast<std::ptrdiff_t>(sizeAt),
                             image.begin() + static_cast<std::ptrdiff_t>(end));
            offset = end;
        }
    }
    EncodeLe32(&converted[d88::DiskSizeField], converted.size());
    return converted;
}

Bytes CutShort(Bytes bytes, std::size_t length)
{
    bytes.resize(std::min(bytes.size(), length));
    return bytes;
}

// A few small sectors, FM and MFM, with every data block method and sector
// flag and a comment, so that the fuzzer runs fast on them.
std::vector<Seed> SmallTd0Seeds()
{
    D88ImageBuilder disk;
    disk.MediaType(0x00).Track(0, UniformTrack(0, 4, 0)).Track(1, UniformTrack(1, 4, 1));
    for (BuiltSector& sector : disk.SectorsOf(0)) {
        sector.fm = true;
    }
    disk.SectorsOf(0)[1].data.assign(128, 0xE5);
    disk.SectorsOf(1)[0].deleted = true;
    disk.SectorsOf(1)[1].status = 0xB0;
    disk.SectorsOf(1)[2].status = 0xF0;
    std::fill_n(disk.SectorsOf(1)[3].data.begin(), 200, 0);
    Td0Options options;
    options.comment = {"SMALL"};
    options.extraFlags = {{{0, 2}, 0x10}, {{0, 3}, 0x40}};
    std::vector<Seed> seeds;
    seeds.emplace_back("small.td0", BuildTd0(disk, options));
    options.advanced = true;
    seeds.emplace_back("small-advanced.td0", BuildTd0(disk, options));
    return seeds;
}

// TD0, normal and compressed, with a comment, every data block method and
// sector flag, and damaged: cut in its data, a track CRC wrong.
std::vector<Seed> Td0Seeds()
{
    std::vector<Seed> seeds = SmallTd0Seeds();
    Td0Options options;
    seeds.emplace_back("disk-a.td0", BuildTd0(SmallDiskA()));
    D88ImageBuilder flagged = SmallDiskB();
    flagged.SectorsOf(11)[0].deleted = true;
    flagged.SectorsOf(11)[1].status = 0xB0;
    flagged.SectorsOf(11)[2].status = 0xF0;
    flagged.SectorsOf(12)[0].data.assign(1024, 0xE5);
    flagged.SectorsOf(12)[1].data.assign(1024, 0);
    std::fill_n(flagged.SectorsOf(12)[2].data.begin(), 600, 0x4E);
    options.comment = {"DISK B", "FLAGS"};
    options.extraFlags = {{{13, 0}, 0x10}, {{13, 1}, 0x40}};
    seeds.emplace_back("disk-b-comment-and-flags.td0", BuildTd0(flagged, options));
    options.advanced = true;
    const Bytes compressed = BuildTd0(flagged, options);
    seeds.emplace_back("disk-b-comment-and-flags-advanced.td0", compressed);
    seeds.emplace_back("disk-b-advanced-cut-short.td0",
                       CutShort(compressed, compressed.size() / 2));
    const Bytes normal = BuildTd0(SmallDiskB());
    seeds.emplace_back("disk-b-cut-in-data.td0", CutShort(normal, normal.size() - 5000));
    Bytes wrongCrc = normal;
    wrongCrc[15] ^= 1;
    seeds.emplace_back("disk-b-track-crc-wrong.td0", wrongCrc);
    return seeds;
}

std::vector<Seed> TitleDiskSeeds()
{
    std::vector<Seed> seeds;
    seeds.emplace_back("disk-a.d88", SmallDiskA().Build());
    seeds.emplace_back("disk-b.d88", SmallDiskB().Build());
    seeds.emplace_back("disk-b-a-blank.d88",
                       Concat({SmallDiskB().Build(), SmallDiskA().Build(),
                               OnlyToolTracks(MakeBlankTitleDisk()).Build()}));
    seeds.emplace_back("disk-a-no-track-100.d88", SmallDiskA().RemoveTrack(100).Build());
    seeds.emplace_back("disk-a-no-track-101.d88", SmallDiskA().RemoveTrack(101).Build());
    seeds.emplace_back("disk-b-no-sector-12-3.d88", SmallDiskB().RemoveSector(12, 3).Build());

    D88ImageBuilder zeroCount = SmallDiskB();
    zeroCount.SectorsOf(14).front().sectorCount = 0;
    seeds.emplace_back("disk-b-zero-sector-count.d88", zeroCount.Build());

    D88ImageBuilder oversized = SmallDiskB();
    oversized.SectorsOf(11).front().dataSizeField = 0xFFFF;
    seeds.emplace_back("disk-b-oversized-data-size.d88", oversized.Build());

    D88ImageBuilder duplicateIds = SmallDiskB();
    duplicateIds.SectorsOf(12)[4].r = 2;
    seeds.emplace_back("disk-b-duplicate-ids.d88", duplicateIds.Build());

    D88ImageBuilder smallerSignature = SmallDiskA();
    smallerSignature.SectorsOf(120).front().n = 2;
    seeds.emplace_back("disk-a-signature-size-code-2.d88", smallerSignature.Build());

    const Bytes diskB = SmallDiskB().Build();
    // Cut inside the data of track 13, with the disk-size field left as it was.
    seeds.emplace_back(
        "disk-b-cut-short.d88",
        CutShort(diskB,
                 DecodeLe32(&diskB[d88::TrackTableField + d88::TrackEntrySize * 13]) + 3000));
    seeds.emplace_back("disk-b-15-byte-headers.d88", WithFifteenByteSectorHeaders(diskB));

    // Track entries at the disk size, one past it, and far beyond.
    const auto diskSize = static_cast<std::uint32_t>(diskB.size());
    seeds.emplace_back("disk-b-track-entries-at-end.d88", SmallDiskB()
                                                              .TrackOffset(11, diskSize)
                                                              .TrackOffset(12, diskSize + 1)
                                                              .TrackOffset(13, 0x80000000U)
                                                              .TrackOffset(14, 0xFFFFFFFFU)
                                                              .Build());
    return seeds;
}

std::vector<Seed> ContainerSeeds()
{
    std::vector<Seed> seeds;
    const Bytes headerOnly = D88ImageBuilder().Name("HEADER ONLY").Build();
    seeds.emplace_back("header-only.d88", headerOnly);
    seeds.emplace_back("short-header.d88", CutShort(headerOnly, 100));
    seeds.emplace_back("seventy-images.d88", Concat(std::vector<Bytes>(70, headerOnly)));
    // A disk size below the header size ends the indexing at that image.
    seeds.emplace_back("disk-size-zero-then-disk-b.d88",
                       Concat({SmallDiskA().DiskSize(0).Build(), SmallDiskB().Build()}));
    seeds.emplace_back("second-image-cut-short.d88",
                       Concat({SmallDiskA().Build(), CutShort(SmallDiskB().Build(), 5000)}));
    seeds.emplace_back(
        "name-of-17-bytes.d88",
        D88ImageBuilder().Name("SEVENTEEN CHARS!!").Track(0, UniformTrack(0)).Build());
    return seeds;
}

// Sector sizes and counts other than the title's: 16 sectors of 128 and
// 256 bytes, and 16 KiB sectors.
Bytes OtherGeometry()
{
    D88ImageBuilder disk;
    disk.Name("SIXTEEN SECTORS").MediaType(0x00);
    for (int track = 0; track < 4; ++track) {
        disk.Track(track, UniformTrack(track, 16, 1));
    }
    for (int track = 4; track < 6; ++track) {
        disk.Track(track, UniformTrack(track, 16, 0));
    }
    disk.Track(6, UniformTrack(6, 2, 7));
    return disk.Build();
}

Bytes Patched(Bytes bytes, std::size_t offset, std::uint32_t value)
{
    EncodeLe32(&bytes[offset], value);
    return bytes;
}

// Disk B's tool tracks with sectors of one repeated byte, deleted and failed
// sectors, and IDs other than their place.
D88ImageBuilder MarkedDiskB()
{
    D88ImageBuilder disk = SmallDiskB();
    std::vector<BuiltSector>& sectors = disk.SectorsOf(12);
    sectors[0].data.assign(sectors[0].data.size(), 0xE5);
    sectors[1].deleted = true;
    sectors[1].status = 0x10;
    sectors[2].status = 0xB0;
    sectors[3].data.assign(sectors[3].data.size(), 0xFF);
    sectors[3].deleted = true;
    sectors[4].c = 0x50;
    sectors[5].h = 0x80;
    sectors[6].n = 2;
    sectors[6].data.resize(512);
    return disk;
}

// DIM, FDD and IMD with the features each format has, and damaged.
std::vector<Seed> MarkedSeeds()
{
    std::vector<Seed> seeds;
    ImdOptions imdOptions;
    imdOptions.comment = "seed";
    imdOptions.unreadable = {{13, 2}};
    imdOptions.reverseTracks = true;
    const Bytes imd = BuildImd(MarkedDiskB(), imdOptions);
    seeds.emplace_back("disk-b-marked.imd", imd);
    seeds.emplace_back("disk-b-cut-in-data.imd", CutShort(imd, imd.size() - 5000));
    FddOptions fddOptions;
    fddOptions.writeProtected = true;
    const Bytes fdd = BuildFdd(MarkedDiskB(), fddOptions);
    seeds.emplace_back("disk-b-marked.fdd", fdd);
    seeds.emplace_back(
        "disk-b-pointer-past-end.fdd",
        Patched(fdd, 0xDC + 12 * 26 * 12 + 8, static_cast<std::uint32_t>(fdd.size())));
    D88ImageBuilder gaps;
    gaps.Track(0, UniformTrack(0)).Track(3, UniformTrack(3));
    seeds.emplace_back("gaps-positional.dim", BuildDim(gaps, 0x00, false));
    seeds.emplace_back("gaps-2hs.dim", BuildDim(gaps.Track(3, UniformTrack(3, 9)), 0x01));
    return seeds;
}

// The title's disks in the other image formats, whole as raw images (which
// have no other size) and with the tool's tracks only otherwise, and some of
// them damaged.
std::vector<Seed> FormatSeeds()
{
    std::vector<Seed> seeds;
    seeds.emplace_back("disk-b.hdm", BuildHdm(MakeDiskB()));
    seeds.emplace_back("disk-a.fdi", BuildFdi(MakeDiskA()));
    for (const auto& [name, disk] :
         {std::pair{"disk-a", SmallDiskA()}, std::pair{"disk-b", SmallDiskB()}}) {
        seeds.emplace_back(std::string(name) + "-r0.nfd", BuildNfdR0(disk));
        seeds.emplace_back(std::string(name) + "-r1.nfd", BuildNfdR1(disk));
        seeds.emplace_back(std::string(name) + ".dcp", BuildDcp(disk));
        seeds.emplace_back(std::string(name) + ".dim", BuildDim(disk));
        seeds.emplace_back(std::string(name) + ".fdd", BuildFdd(disk));
        seeds.emplace_back(std::string(name) + ".imd", BuildImd(disk));
    }
    NfdOptions retries;
    retries.retries = {{{12, 1}, 2}};
    retries.diags = {{11, {{1, 700}}}, {12, {{0, 0}, {2, 100}}}};
    seeds.emplace_back("disk-b-retries-and-diags-r1.nfd", BuildNfdR1(SmallDiskB(), retries));
    const Bytes nfdR0 = BuildNfdR0(SmallDiskB());
    seeds.emplace_back("disk-b-cut-in-data-r0.nfd", CutShort(nfdR0, nfdR0.size() - 5000));
    seeds.emplace_back("disk-b-header-size-past-end-r0.nfd",
                       Patched(nfdR0, 0x110, static_cast<std::uint32_t>(nfdR0.size() + 1)));
    const Bytes nfdR1 = BuildNfdR1(SmallDiskB());
    seeds.emplace_back("disk-b-track-in-fixed-header-r1.nfd",
                       Patched(nfdR1, 0x120 + 4 * 12, 0x100));
    seeds.emplace_back("disk-b-cut-in-data-r1.nfd", CutShort(nfdR1, nfdR1.size() - 5000));
    const Bytes dcp = BuildDcp(SmallDiskB());
    seeds.emplace_back("disk-b-map-lies.dcp", Patched(dcp, 1, 0x01010101));
    for (Seed& seed : Td0Seeds()) {
        seeds.push_back(std::move(seed));
    }
    for (Seed& seed : MarkedSeeds()) {
        seeds.push_back(std::move(seed));
    }
    return seeds;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "Usage: %s <folder>\n", argc > 0 ? argv[0] : "make_fuzz_seeds");
        return 1;
    }
    const std::filesystem::path folder = argv[1];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    std::vector<Seed> seeds = TitleDiskSeeds();
    for (Seed& seed : ContainerSeeds()) {
        seeds.push_back(std::move(seed));
    }
    seeds.emplace_back("other-geometry.d88", OtherGeometry());
    for (Seed& seed : FormatSeeds()) {
        seeds.push_back(std::move(seed));
    }
    for (Seed& seed : FluxSeeds()) {
        seeds.push_back(std::move(seed));
    }
    for (const auto& [name, bytes] : seeds) {
        if (!WriteBytesToFile((folder / name).string(), bytes)) {
            std::fprintf(stderr, "%s: cannot write the seed\n", (folder / name).string().c_str());
            return 1;
        }
    }
    std::printf("%zu seeds written to %s\n", seeds.size(), folder.string().c_str());
    return 0;
}
