// Images written in each format are converted to D88 and read back sector by
// sector against the disk they were written from; damaged and ambiguous
// files must be left to the D88 reader, or keep only the sectors they hold.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "D88Layout.h"
#include "FormatImageBuilders.h"
#include "FormatReaders.h"
#include "LittleEndian.h"
#include "TitleDisks.h"

namespace {

struct ParsedSector {
    int track;
    Bytes header;  // the 16-byte sector header
    Bytes data;

    bool operator==(const ParsedSector& other) const
    {
        return track == other.track && header == other.header && data == other.data;
    }
};

struct ParsedImage {
    std::string name;
    std::uint8_t writeProtect = 0;
    std::uint8_t mediaType = 0;
    std::vector<ParsedSector> sectors;
};

// Walks a D88 image the way its layout says; any field out of bounds fails.
ParsedImage ParseD88(const Bytes& image)
{
    ParsedImage parsed;
    if (image.size() < d88::ImageHeaderSize ||
        DecodeLe32(&image[d88::DiskSizeField]) != image.size()) {
        ADD_FAILURE() << "the disk size is the image's length";
        return parsed;
    }
    parsed.name.assign(image.begin(), std::find(image.begin(), image.begin() + 17, 0));
    parsed.writeProtect = image[d88::WriteProtectField];
    parsed.mediaType = image[d88::MediaTypeField];
    for (int track = 0; track < 164; ++track) {
        std::size_t offset = DecodeLe32(
            &image[d88::TrackTableField + d88::TrackEntrySize * static_cast<std::size_t>(track)]);
        const std::size_t count =
            offset == 0 ? 0 : DecodeLe16(&image[offset + d88::SectorCountField]);
        for (std::size_t k = 0; k < count; ++k) {
            const std::size_t dataEnd =
                offset + d88::SectorHeaderSize + DecodeLe16(&image[offset + d88::DataSizeField]);
            if (dataEnd > image.size()) {
                ADD_FAILURE() << "track " << track << " runs past the image";
                return parsed;
            }
            const auto begin = image.begin() + static_cast<std::ptrdiff_t>(offset);
            parsed.sectors.push_back({track, Bytes(begin, begin + d88::SectorHeaderSize),
                                      Bytes(begin + d88::SectorHeaderSize,
                                            image.begin() + static_cast<std::ptrdiff_t>(dataEnd))});
            offset = dataEnd;
        }
    }
    return parsed;
}

// The disk with only its first `kept` sectors, each track's sector count
// set to the sectors it keeps.
D88ImageBuilder FirstSectors(D88ImageBuilder disk, std::size_t kept)
{
    const D88ImageBuilder whole = disk;
    for (const auto& [track, sectors] : whole.Tracks()) {
        std::vector<BuiltSector>& held = disk.SectorsOf(track);
        held.resize(std::min(held.size(), kept));
        kept -= held.size();
        for (BuiltSector& sector : held) {
            sector.sectorCount = static_cast<std::uint16_t>(held.size());
        }
        if (held.empty()) {
            disk.RemoveTrack(track);
        }
    }
    return disk;
}

D88ImageBuilder UniformDisk(int cylinders, int sectors, std::uint8_t n)
{
    D88ImageBuilder disk;
    disk.Name("UNIFORM");
    for (int track = 0; track < cylinders * 2; ++track) {
        disk.Track(track, SelfDescribing(UniformTrack(track, sectors, n)));
    }
    return disk;
}

D88ImageBuilder SmallDisk()
{
    return UniformDisk(2, 8, 3);
}

// Recorded out of R order, with FM, deleted and failed sectors.
D88ImageBuilder UnusualDisk()
{
    D88ImageBuilder disk = SmallDisk();
    disk.Track(0, SelfDescribing(UniformTrack(0, 26, 0)));
    for (BuiltSector& sector : disk.SectorsOf(0)) {
        sector.fm = true;
    }
    std::vector<BuiltSector>& track1 = disk.SectorsOf(1);
    track1 = {track1[0], track1[2], track1[4], track1[6],
              track1[1], track1[3], track1[5], track1[7]};
    const std::uint8_t statuses[] = {0x10, 0xB0, 0xA0, 0xE0, 0xF0};
    for (std::size_t k = 0; k < 5; ++k) {
        disk.SectorsOf(2)[k].status = statuses[k];
    }
    disk.SectorsOf(2)[0].deleted = true;
    return disk;
}

Bytes Patched(Bytes bytes, std::size_t offset, std::uint32_t value, std::size_t width = 4)
{
    for (std::size_t i = 0; i < width; ++i) {
        bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
    return bytes;
}

Bytes Cut(Bytes bytes, std::size_t length)
{
    bytes.resize(length);
    return bytes;
}

// A D88 image named like an NFD r0 file, whose bytes also pass that format's
// header checks: its track-60 offset stands where the header size would.
Bytes D88NamedLikeNfd()
{
    D88ImageBuilder disk;
    disk.Name("T98FDDIMAGE.R0");
    for (int track = 0; track < 64; ++track) {
        std::vector<BuiltSector> sectors = UniformTrack(track);
        for (BuiltSector& sector : sectors) {
            sector.data.assign(sector.data.size(), 0xFF);
        }
        disk.Track(track, sectors);
    }
    return disk.Build();
}

struct FormatCase {
    std::string name;
    std::function<Bytes()> file;
    std::optional<ImageFormat> format;      // nullopt: left to the D88 reader
    std::function<D88ImageBuilder()> disk;  // what the converted image holds
    bool writeProtected = false;
    // A reader the file also satisfies, which only its D88 look outranks.
    std::optional<D88Bytes> (*alsoMatches)(ByteSource&) = nullptr;
};

void PrintTo(const FormatCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

std::vector<FormatCase> TitleDiskCases()
{
    std::vector<FormatCase> cases;
    for (const ImageFormat format : {ImageFormat::Hdm, ImageFormat::Fdi, ImageFormat::NfdR0,
                                     ImageFormat::NfdR1, ImageFormat::Dcp}) {
        for (const auto& [diskName, makeDisk] :
             {std::pair{"a", &MakeDiskA}, std::pair{"b", &MakeDiskB}}) {
            std::string name =
                std::string("title_disk_") + diskName + "_" + ImageFormatName(format);
            cases.push_back({name,
                             [format, make = makeDisk] { return BuildInFormat(format, make()); },
                             format, makeDisk});
        }
    }
    return cases;
}

std::vector<FormatCase> LayoutCases()
{
    NfdOptions asResultBytes;
    asResultBytes.statusAsResultBytes = true;
    asResultBytes.writeProtected = true;
    NfdOptions retriesAndDiags;
    retriesAndDiags.retries = {{{1, 2}, 2}, {{2, 7}, 1}};
    retriesAndDiags.diags = {{1, {{1, 300}, {0, 0}}}, {2, {{0, 1000}}}};
    const RawGeometry hd144{80, 18, 2};
    const RawGeometry dd640{80, 8, 2};
    const std::size_t nfdR1Data = BuildNfdR1(SmallDisk()).size() - std::size_t{32768};
    return {
        {"nfd_r0_out_of_order_fm_and_status_in_result_bytes",
         [=] { return BuildNfdR0(UnusualDisk(), asResultBytes); }, ImageFormat::NfdR0, UnusualDisk,
         true},
        {"nfd_r1_out_of_order_fm_and_status", [] { return BuildNfdR1(UnusualDisk()); },
         ImageFormat::NfdR1, UnusualDisk},
        {"nfd_r1_retry_copies_and_diag_records",
         [=] { return BuildNfdR1(SmallDisk(), retriesAndDiags); }, ImageFormat::NfdR1, SmallDisk},
        {"nfd_r1_track_without_block", [] { return BuildNfdR1(SmallDisk().RemoveTrack(2)); },
         ImageFormat::NfdR1, [] { return SmallDisk().RemoveTrack(2); }},
        {"nfd_r0_cut_in_data",
         [] { return Cut(BuildNfdR0(SmallDisk()), 0x10A10 + 10 * 1024 + 500); }, ImageFormat::NfdR0,
         [] { return FirstSectors(SmallDisk(), 10); }},
        {"nfd_r1_cut_in_data",
         [=] { return Cut(BuildNfdR1(SmallDisk()), nfdR1Data + std::size_t{10 * 1024 + 500}); },
         ImageFormat::NfdR1, [] { return FirstSectors(SmallDisk(), 10); }},
        // The unbroken forms of the files that RejectedCases breaks.
        {"fdi_two_cylinders",
         [] {
             return BuildFdi(SmallDisk(), {2, 8, 3});
         },
         ImageFormat::Fdi, SmallDisk},
        {"dcp_four_tracks",
         [] {
             return BuildDcp(SmallDisk(), 0x01, {2, 8, 3});
         },
         ImageFormat::Dcp, SmallDisk},
        {"nfd_r0_small", [] { return BuildNfdR0(SmallDisk()); }, ImageFormat::NfdR0, SmallDisk},
        {"dcp_map_leaves_track_out", [] { return BuildDcp(MakeDiskB().RemoveTrack(5)); },
         ImageFormat::Dcp, [] { return MakeDiskB().RemoveTrack(5); }},
        {"dcu_whole_disk_with_blank_map",
         [] { return Patched(BuildDcp(MakeDiskB(), 1, {}, true), 1, 0); }, ImageFormat::Dcp,
         MakeDiskB},
        {"dcp_2dd", [=] { return BuildDcp(UniformDisk(80, 8, 2), 0x04, dd640); }, ImageFormat::Dcp,
         [] { return UniformDisk(80, 8, 2).MediaType(0x10); }},
        {"fdi_1440k_header_of_512",
         [=] { return BuildFdi(UniformDisk(80, 18, 2), hd144, 0x30, 512); }, ImageFormat::Fdi,
         [] { return UniformDisk(80, 18, 2); }},
        {"fdi_2dd_header_of_8192",
         [=] { return BuildFdi(UniformDisk(80, 8, 2), dd640, 0x70, 8192); }, ImageFormat::Fdi,
         [] { return UniformDisk(80, 8, 2).MediaType(0x10); }},
    };
}

// Files that claim a format but break its rules, and D88 images that look
// like another format: all left to the D88 reader.
std::vector<FormatCase> RejectedCases()
{
    const Bytes hdm = BuildHdm(MakeDiskB());
    const Bytes fdi = BuildFdi(SmallDisk(), {2, 8, 3});
    const Bytes nfdR0 = BuildNfdR0(SmallDisk());
    const Bytes nfdR1 = BuildNfdR1(SmallDisk());
    const Bytes dcp = BuildDcp(SmallDisk(), 0x01, {2, 8, 3});
    const auto file = [](std::string name, const Bytes& bytes) {
        return FormatCase{std::move(name), [bytes] { return bytes; }, std::nullopt, {}, false,
                          nullptr};
    };
    return {
        file("hdm_one_byte_short", Cut(hdm, hdm.size() - 1)),
        file("hdm_one_byte_long", Cut(hdm, hdm.size() + 1)),
        file("fdi_cut_in_header", Cut(fdi, 20)),
        file("fdi_cut_in_data", Cut(fdi, fdi.size() - 1)),
        file("fdi_header_size_lies", Patched(fdi, 0x08, 4097)),
        file("fdi_sector_size_not_a_power_of_two", Patched(fdi, 0x10, 1000)),
        file("fdi_cylinders_lie", Patched(fdi, 0x1C, 3)),
        file("fdi_unknown_device_type", Patched(fdi, 0x04, 0x20)),
        file("nfd_r0_cut_in_header", Cut(nfdR0, 0x100)),
        file("nfd_r0_cut_in_table", Cut(nfdR0, 0x8000)),
        file("nfd_r0_header_size_past_end",
             Patched(nfdR0, 0x110, static_cast<std::uint32_t>(nfdR0.size() + 1))),
        file("nfd_r0_header_size_inside_table", Patched(nfdR0, 0x110, 0x10A0F)),
        file("nfd_r0_size_code_8", Patched(nfdR0, 0x120 + 3, 8, 1)),
        file("nfd_r1_cut_in_header", Cut(nfdR1, 0x200)),
        file("nfd_r1_cut_in_track_blocks", Cut(nfdR1, 0x3C0 + 40)),
        file("nfd_r1_track_offset_in_fixed_header", Patched(nfdR1, 0x120 + 4, 0x3B0)),
        file("nfd_r1_block_past_header", Patched(nfdR1, 0x3C0 + 3 * 144, 9, 2)),
        file("nfd_r1_size_code_8", Patched(nfdR1, 0x3C0 + 16 + 3, 8, 1)),
        file("dcp_cut_in_map", Cut(dcp, 100)),
        file("dcp_cut_in_data", Cut(dcp, dcp.size() - 1)),
        file("dcp_map_claims_missing_track", Patched(dcp, 1 + 4, 1, 1)),
        file("dcp_map_byte_2", Patched(dcp, 1, 2, 1)),
        file("dcp_unknown_type", Patched(dcp, 0, 0x06, 1)),
        {"d88_named_like_nfd_r0", D88NamedLikeNfd, std::nullopt, {}, false, ConvertNfdR0},
        {"d88_of_hdm_size",
         [n = hdm.size()] { return Cut(SmallDisk().Build(), n); },
         std::nullopt,
         {},
         false,
         ConvertHdm},
    };
}

class FormatConversionTest : public testing::TestWithParam<FormatCase> {};

TEST_P(FormatConversionTest, ConvertsToTheDiskWritten)
{
    const FormatCase& testCase = GetParam();
    const Bytes file = testCase.file();
    MemoryByteSource source(file);
    if (testCase.alsoMatches != nullptr) {
        ASSERT_TRUE(testCase.alsoMatches(source)) << "the file satisfies the other format too";
    }
    const std::optional<ConvertedImage> converted = ConvertToD88(source);
    ASSERT_EQ(converted.has_value(), testCase.format.has_value());
    if (!converted) {
        return;
    }
    EXPECT_EQ(converted->format, *testCase.format);
    const D88ImageBuilder disk = testCase.disk();
    const ParsedImage image = ParseD88(converted->d88);
    const ParsedImage expected = ParseD88(disk.Build());
    const bool named =
        *testCase.format == ImageFormat::NfdR0 || *testCase.format == ImageFormat::NfdR1;
    EXPECT_EQ(image.name, named ? expected.name : "");
    EXPECT_EQ(image.writeProtect, testCase.writeProtected ? 0x10 : 0x00);
    EXPECT_EQ(image.mediaType, expected.mediaType);
    ASSERT_EQ(image.sectors.size(), expected.sectors.size());
    for (std::size_t k = 0; k < image.sectors.size(); ++k) {
        EXPECT_TRUE(image.sectors[k] == expected.sectors[k])
            << "sector " << k << " of track " << expected.sectors[k].track;
    }
}

std::string CaseName(const testing::TestParamInfo<FormatCase>& info)
{
    std::string name = info.param.name;
    std::replace_if(
        name.begin(), name.end(),
        [](char c) { return std::isalnum(static_cast<unsigned char>(c)) == 0; }, '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(TitleDisks, FormatConversionTest, testing::ValuesIn(TitleDiskCases()),
                         CaseName);
INSTANTIATE_TEST_SUITE_P(Layouts, FormatConversionTest, testing::ValuesIn(LayoutCases()), CaseName);
INSTANTIATE_TEST_SUITE_P(Rejected, FormatConversionTest, testing::ValuesIn(RejectedCases()),
                         CaseName);

}  // namespace
