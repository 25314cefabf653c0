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
    PutLe(bytes, offset, value, width);
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

// Each sector's "sectors in this track" set to its track's count.
D88ImageBuilder Recounted(D88ImageBuilder disk)
{
    const D88ImageBuilder whole = disk;
    for (const auto& [track, sectors] : whole.Tracks()) {
        for (BuiltSector& sector : disk.SectorsOf(track)) {
            sector.sectorCount = static_cast<std::uint16_t>(sectors.size());
        }
    }
    return disk;
}

void Fill(BuiltSector& sector, std::uint8_t value)
{
    sector.data.assign(sector.data.size(), value);
}

D88ImageBuilder Filled(D88ImageBuilder disk, std::uint8_t value)
{
    const D88ImageBuilder whole = disk;
    for (const auto& track : whole.Tracks()) {
        for (BuiltSector& sector : disk.SectorsOf(track.first)) {
            Fill(sector, value);
        }
    }
    return disk;
}

// FM, out of order, deleted, and sectors of one repeated byte (0xFF too).
D88ImageBuilder FddDisk()
{
    D88ImageBuilder disk = UnusualDisk();
    std::vector<BuiltSector>& track2 = disk.SectorsOf(2);
    track2 = SelfDescribing(UniformTrack(2));
    track2[0].deleted = true;
    track2[0].status = 0x10;
    Fill(track2[1], 0xE5);
    Fill(track2[2], 0xFF);
    Fill(track2[3], 0x00);
    track2[3].deleted = true;
    track2[3].status = 0x10;
    return disk;
}

// Every kind of IMD sector: FM, out of order, mixed sizes, deleted and
// failed, whole and compressed, and IDs other than the track's place.
D88ImageBuilder ImdDisk()
{
    D88ImageBuilder disk = UnusualDisk();
    std::vector<BuiltSector>& track1 = disk.SectorsOf(1);
    track1[7].n = 2;
    track1[7].data.resize(512);
    std::vector<BuiltSector>& track2 = disk.SectorsOf(2);
    track2 = SelfDescribing(UniformTrack(2));
    const struct {
        bool deleted;
        std::uint8_t status;
    } marks[] = {{true, 0x10}, {false, 0xB0}, {true, 0xB0}, {false, 0}};
    for (std::size_t k = 0; k < 8; ++k) {
        track2[k].deleted = marks[k % 4].deleted;
        track2[k].status = marks[k % 4].status;
        if (k >= 4) {
            Fill(track2[k], static_cast<std::uint8_t>(0xE0 + k));
        }
    }
    std::vector<BuiltSector>& track3 = disk.SectorsOf(3);
    for (std::size_t k = 0; k < 8; ++k) {
        track3[k].c = static_cast<std::uint8_t>(40 + k);
        track3[k].h = 0;
    }
    track3 = SelfDescribing(track3);
    return disk;
}

ImdOptions ImdLayoutOptions()
{
    ImdOptions options;
    options.comment = "a comment\r\nof two lines";
    options.reverseTracks = true;
    options.unreadable = {{2, 3}, {3, 0}};
    return options;
}

// ImdDisk as ImdLayoutOptions writes it: the unreadable sectors are absent.
D88ImageBuilder ImdDiskRead()
{
    D88ImageBuilder disk = ImdDisk();
    disk.SectorsOf(2).erase(disk.SectorsOf(2).begin() + 3);
    disk.SectorsOf(3).erase(disk.SectorsOf(3).begin());
    return Recounted(disk);
}

// `sectors` sectors of 8 KiB, all zero, on track 0: 64 KiB in eight.
D88ImageBuilder LargeSectors(int sectors)
{
    return Filled(D88ImageBuilder().Track(0, UniformTrack(0, sectors, 6)), 0);
}

// The 2HS and 2HDE IDs of DIM: R from 10 or H from 0x80, but C0 H0 R1.
D88ImageBuilder DimX68kDisk(std::uint8_t firstR, std::uint8_t firstH)
{
    D88ImageBuilder disk = UniformDisk(2, 9, 3);
    for (int track = 0; track < 4; ++track) {
        for (BuiltSector& sector : disk.SectorsOf(track)) {
            sector.r = static_cast<std::uint8_t>(sector.r - 1 + firstR);
            sector.h = static_cast<std::uint8_t>(sector.h + firstH);
        }
        disk.Track(track, SelfDescribing(disk.SectorsOf(track)));
    }
    disk.SectorsOf(0)[0].r = 1;
    disk.SectorsOf(0)[0].h = 0;
    disk.Track(0, SelfDescribing(disk.SectorsOf(0)));
    return disk;
}

// An FDD file whose first bytes also make a plausible D88 header: the
// comment holds a media byte and the file's size, and the map entries the
// D88 track table covers are unused ones that read as offsets inside it.
Bytes FddAlsoD88()
{
    Bytes fdd = BuildFdd(D88ImageBuilder().Track(4, UniformTrack(4)));
    fdd = Patched(fdd, 0x1C, static_cast<std::uint32_t>(fdd.size()));
    for (std::size_t entry = 0xDC; entry < 0x2B0; entry += 12) {
        fdd = Patched(Patched(Patched(fdd, entry, 0x2FF), entry + 4, 0), entry + 8, 0);
    }
    return fdd;
}

// An IMD file padded by its comment to the size of a raw 2HD image.
Bytes ImdOfHdmSize()
{
    ImdOptions options;
    options.comment.assign(1261568 - BuildImd(SmallDisk()).size(), 'x');
    return BuildImd(SmallDisk(), options);
}

// TD0 of SmallDisk: the header, then each track's 4-byte header and its
// eight raw sectors of 6 + 2 + 1 + 1,024 bytes.
constexpr std::size_t Td0Track1At = 12 + 4 + 8 * 1033;
constexpr std::size_t Td0SectorAt = 16;
constexpr std::size_t Td0BlockAt = 22;

Bytes Inserted(Bytes bytes, std::size_t offset, std::uint8_t value)
{
    bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(offset), value);
    return bytes;
}

Bytes Flipped(Bytes bytes, std::size_t offset)
{
    bytes[offset] ^= 1;
    return bytes;
}

// A header byte changed, its CRC made right.
Bytes Td0HeaderPatched(Bytes bytes, std::size_t offset, std::uint8_t value)
{
    bytes[offset] = value;
    return Patched(bytes, 10, Td0Crc(bytes.data(), 10), 2);
}

// A track header rewritten, its CRC made right.
Bytes Td0TrackPatched(Bytes bytes, std::size_t headerAt, std::uint8_t count, std::uint8_t cylinder,
                      std::uint8_t head)
{
    const Bytes fields{count, cylinder, head};
    std::copy(fields.begin(), fields.end(), bytes.begin() + static_cast<std::ptrdiff_t>(headerAt));
    bytes[headerAt + 3] = static_cast<std::uint8_t>(Td0Crc(&bytes[headerAt], 3) & 0xFF);
    return bytes;
}

// The comment block's length changed, its CRC made right.
Bytes Td0CommentLengthPatched(Bytes bytes, std::uint16_t length)
{
    bytes = Patched(bytes, 14, length, 2);
    return Patched(bytes, 12, Td0Crc(&bytes[14], std::size_t{8} + length), 2);
}

// A comment block with no text put in front of the tracks.
Bytes WithEmptyComment(const Bytes& td0)
{
    Bytes bytes = Td0HeaderPatched(td0, 7, 0x80);
    Bytes block{0, 0, 0, 0, 99, 11, 31, 23, 59, 59};
    block = Patched(block, 0, Td0Crc(&block[2], 8), 2);
    bytes.insert(bytes.begin() + 12, block.begin(), block.end());
    return bytes;
}

// Track 0 FM; on track 2 a deleted mark, a CRC error, both, no data mark,
// a sector DOS left out and data with no ID (flags 0x10 and 0x40 added by
// Td0FlagOptions). As read, the DOS sector holds E5 and the last is gone.
D88ImageBuilder Td0FlagDisk(bool asRead)
{
    D88ImageBuilder disk = SmallDisk();
    disk.Track(0, SelfDescribing(UniformTrack(0, 26, 0)));
    for (BuiltSector& sector : disk.SectorsOf(0)) {
        sector.fm = true;
    }
    std::vector<BuiltSector>& track = disk.SectorsOf(2);
    track[0].deleted = true;
    track[0].status = 0x10;
    track[1].status = 0xB0;
    track[2].deleted = true;
    track[2].status = 0xB0;
    track[3].status = 0xF0;
    if (asRead) {
        track[3].data.clear();
        track[4].data.assign(1024, 0xE5);
        track.erase(track.begin() + 5);
        for (BuiltSector& sector : track) {
            sector.sectorCount = 7;
        }
    }
    return disk;
}

Td0Options Td0FlagOptions()
{
    Td0Options options;
    options.extraFlags = {{{2, 4}, 0x10}, {{2, 5}, 0x40}};
    return options;
}

// Track 0 holding one sector of `data` (128 << N bytes).
D88ImageBuilder OneSector(const Bytes& data)
{
    std::uint8_t n = 0;
    while ((std::size_t{128} << n) < data.size()) {
        ++n;
    }
    std::vector<BuiltSector> track = UniformTrack(0, 1, n);
    track[0].data = data;
    return D88ImageBuilder().Track(0, track);
}

// "TD", eight zero bytes, their CRC 0x511E, and the end record: no tracks.
Bytes EmptyTd0()
{
    return {'T', 'D', 0, 0, 0, 0, 0, 0, 0, 0, 0x1E, 0x51, 0xFF};
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
                                     ImageFormat::NfdR1, ImageFormat::Dcp, ImageFormat::Dim,
                                     ImageFormat::Fdd, ImageFormat::Imd, ImageFormat::Td0}) {
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
    Td0Options advanced;
    advanced.advanced = true;
    Td0Options commented;
    commented.comment = {"A COMMENT", "OF TWO LINES"};
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
        {"td0_advanced_title_disk_b", [=] { return BuildTd0(MakeDiskB(), advanced); },
         ImageFormat::Td0, MakeDiskB},
        {"td0_comment", [=] { return BuildTd0(SmallDisk(), commented); }, ImageFormat::Td0,
         SmallDisk},
        {"td0_fm_deleted_crc_error_no_data_dos_and_no_id",
         [] { return BuildTd0(Td0FlagDisk(false), Td0FlagOptions()); }, ImageFormat::Td0,
         [] { return Td0FlagDisk(true); }},
        {"td0_advanced_flags_and_comment",
         [=] {
             Td0Options options = Td0FlagOptions();
             options.advanced = true;
             options.comment = commented.comment;
             return BuildTd0(Td0FlagDisk(false), options);
         },
         ImageFormat::Td0, [] { return Td0FlagDisk(true); }},
        {"td0_2dd", [] { return BuildTd0(UniformDisk(80, 8, 2).MediaType(0x10)); },
         ImageFormat::Td0, [] { return UniformDisk(80, 8, 2).MediaType(0x10); }},
        {"td0_2d", [] { return BuildTd0(UniformDisk(40, 16, 1).MediaType(0x00)); },
         ImageFormat::Td0, [] { return UniformDisk(40, 16, 1).MediaType(0x00); }},
        {"td0_empty_comment", [] { return WithEmptyComment(BuildTd0(SmallDisk())); },
         ImageFormat::Td0, SmallDisk},
        {"td0_track_left_out", [] { return BuildTd0(SmallDisk().RemoveTrack(1)); },
         ImageFormat::Td0, [] { return SmallDisk().RemoveTrack(1); }},
        {"td0_end_record_of_one_byte",
         [] {
             const Bytes td0 = BuildTd0(SmallDisk());
             return Cut(td0, td0.size() - 3);
         },
         ImageFormat::Td0, SmallDisk},
        {"td0_typed_by_hand", EmptyTd0, ImageFormat::Td0,
         [] { return D88ImageBuilder().MediaType(0x00); }},
        {"dim_packed_without_track_1", [] { return BuildDim(SmallDisk().RemoveTrack(1)); },
         ImageFormat::Dim, [] { return SmallDisk().RemoveTrack(1); }},
        {"dim_positional_without_track_1",
         [] { return BuildDim(SmallDisk().RemoveTrack(1), 0x00, false); }, ImageFormat::Dim,
         [] { return SmallDisk().RemoveTrack(1); }},
        {"dim_2hs_ids", [] { return BuildDim(DimX68kDisk(10, 0), 0x01); }, ImageFormat::Dim,
         [] { return DimX68kDisk(10, 0); }},
        {"dim_2hde_ids", [] { return BuildDim(DimX68kDisk(1, 0x80), 0x03); }, ImageFormat::Dim,
         [] { return DimX68kDisk(1, 0x80); }},
        {"fdd_fm_out_of_order_deleted_and_fill",
         [] {
             return BuildFdd(FddDisk(), {true, '1'});
         },
         ImageFormat::Fdd, FddDisk, true},
        {"fdd_2dd", [] { return BuildFdd(UniformDisk(80, 8, 2).MediaType(0x10)); },
         ImageFormat::Fdd, [] { return UniformDisk(80, 8, 2).MediaType(0x10); }},
        {"fdd_2d", [] { return BuildFdd(UniformDisk(40, 16, 1).MediaType(0x00)); },
         ImageFormat::Fdd, [] { return UniformDisk(40, 16, 1).MediaType(0x00); }},
        {"fdd_track_of_64k", [] { return BuildFdd(LargeSectors(8)); }, ImageFormat::Fdd,
         [] { return LargeSectors(8); }},
        {"imd_every_sector_type_maps_and_sizes",
         [] { return BuildImd(ImdDisk(), ImdLayoutOptions()); }, ImageFormat::Imd, ImdDiskRead},
        {"imd_2dd", [] { return BuildImd(UniformDisk(80, 8, 2).MediaType(0x10)); },
         ImageFormat::Imd, [] { return UniformDisk(80, 8, 2).MediaType(0x10); }},
        {"imd_2d", [] { return BuildImd(UniformDisk(40, 16, 1).MediaType(0x00)); },
         ImageFormat::Imd, [] { return UniformDisk(40, 16, 1).MediaType(0x00); }},
        {"imd_record_of_no_sectors",
         [] {
             return Concat({BuildImd(SmallDisk()), Bytes{3, 5, 0, 0, 3}});
         },
         ImageFormat::Imd, SmallDisk},
        {"imd_track_of_64k", [] { return BuildImd(LargeSectors(8)); }, ImageFormat::Imd,
         [] { return LargeSectors(8); }},
        {"imd_of_hdm_size", ImdOfHdmSize, ImageFormat::Imd, SmallDisk, false, ConvertHdm},
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
    const Bytes td0 = BuildTd0(SmallDisk());
    Td0Options options;
    options.comment = {"A COMMENT"};
    const Bytes commented = BuildTd0(SmallDisk(), options);
    options = {};
    options.advanced = true;
    const Bytes compressed = BuildTd0(SmallDisk(), options);
    options.version = 19;
    const Bytes oldCompression = BuildTd0(SmallDisk(), options);
    const Bytes pattern = BuildTd0(OneSector(Bytes(1024, 0xE5)));
    Bytes zeros(1024, 0);
    std::fill(zeros.begin() + 100, zeros.end(), 0x4E);
    const Bytes runs = BuildTd0(OneSector(zeros));
    const Bytes dim = BuildDim(SmallDisk());
    const Bytes dimGap = BuildDim(SmallDisk().RemoveTrack(1), 0x00, false);
    const Bytes fdd = BuildFdd(FddDisk());
    const Bytes imd = BuildImd(SmallDisk());
    const Bytes blankImd = BuildImd(Filled(SmallDisk(), 0xE5));
    ImdOptions sizeTable;
    sizeTable.sizeTable = true;
    const Bytes imdSizes = BuildImd(SmallDisk(), sizeTable);
    const std::size_t tracksAt =
        static_cast<std::size_t>(std::find(imd.begin(), imd.end(), 0x1A) - imd.begin()) + 1;
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
        file("td0_cut_in_header", Cut(td0, 11)),
        file("td0_cut_in_track_header", Cut(td0, Td0Track1At + 2)),
        file("td0_cut_in_sector_header", Cut(td0, Td0SectorAt + 3)),
        file("td0_cut_in_data", Cut(td0, td0.size() / 2)),
        file("td0_cut_before_end_record", Cut(td0, td0.size() - 4)),
        file("td_cut_in_stream", Cut(compressed, compressed.size() / 2)),
        file("td0_header_crc_wrong", Flipped(td0, 10)),
        file("td0_track_crc_wrong", Flipped(td0, 15)),
        file("td0_sector_crc_wrong", Flipped(td0, Td0SectorAt + 5)),
        file("td0_comment_crc_wrong", Flipped(commented, 12)),
        file("td_stream_bit_flipped", Flipped(compressed, compressed.size() / 2)),
        file("td0_sector_count_lies_long", Td0TrackPatched(td0, 12, 9, 0, 0)),
        file("td0_sector_count_lies_short", Td0TrackPatched(td0, 12, 7, 0, 0)),
        file("td0_block_length_lies", Patched(td0, Td0BlockAt, 1026, 2)),
        file("td0_size_code_lies", Patched(td0, Td0SectorAt + 3, 2, 1)),
        file("td0_unknown_method", Patched(td0, Td0BlockAt + 2, 3, 1)),
        file("td0_pattern_count_lies", Patched(pattern, Td0BlockAt + 3, 513, 2)),
        file("td0_pattern_block_not_whole_groups",
             Patched(Inserted(pattern, Td0BlockAt + 7, 0), Td0BlockAt, 6, 2)),
        file("td0_run_count_lies", Patched(runs, Td0BlockAt + 4, 51, 1)),
        file("td0_comment_length_lies", Td0CommentLengthPatched(commented, 11)),
        file("td0_second_volume", Td0HeaderPatched(td0, 2, 1)),
        file("td0_old_compression", oldCompression),
        file("td0_track_repeated", Td0TrackPatched(td0, Td0Track1At, 8, 0, 0)),
        file("td0_track_past_d88", Td0TrackPatched(td0, Td0Track1At, 8, 82, 0)),
        file("td0_head_byte_bits", Td0TrackPatched(td0, Td0Track1At, 8, 0, 0x03)),
        file("dim_cut_in_header", Cut(dim, 0xC0)),
        file("dim_cut_in_data", Cut(dim, dim.size() - 1)),
        file("dim_size_neither_packed_nor_positional", Cut(dimGap, dimGap.size() - 4096)),
        file("dim_flag_2", Patched(dim, 1, 2, 1)),
        file("dim_unknown_media", Patched(dim, 0, 0x04, 1)),
        file("dim_text_changed", Patched(dim, 0xAB + 5, 'h', 1)),
        file("dim_track_past_d88", BuildDim(SmallDisk().Track(164, UniformTrack(164)))),
        file("fdd_cut_in_header", Cut(fdd, 0x80)),
        file("fdd_cut_in_map", Cut(fdd, 0x8000)),
        file("fdd_cut_in_data", Cut(fdd, fdd.size() - 1)),
        file("fdd_data_inside_header", Patched(fdd, 0xDC + 8, 0xC3FB)),
        file("fdd_size_code_8", Patched(fdd, 0xDC + 3, 8, 1)),
        file("fdd_version_2", Patched(fdd, 6, '2', 1)),
        file("fdd_magic_without_nul", Patched(fdd, 7, ' ', 1)),
        file("fdd_track_over_64k", BuildFdd(LargeSectors(9))),
        file("imd_no_end_of_text", Cut(imd, 20)),
        file("imd_cut_in_track_header", Cut(imd, tracksAt + 3)),
        file("imd_cut_in_sector_map", Cut(imd, tracksAt + 8)),
        file("imd_cut_in_data", Cut(imd, imd.size() - 1)),
        file("imd_byte_after_last_record", Cut(imd, imd.size() + 1)),
        file("imd_mode_6", Patched(imd, tracksAt, 6, 1)),
        file("imd_head_bit_1", Patched(imd, tracksAt + 2, 0x02, 1)),
        file("imd_size_code_7", Patched(imd, tracksAt + 4, 7, 1)),
        file("imd_data_type_9", Patched(imd, tracksAt + 13, 9, 1)),
        file("imd_cylinder_82", Patched(imd, tracksAt + 1, 82, 1)),
        file("imd_two_records_of_one_track",
             Concat({imd, Bytes(imd.begin() + static_cast<std::ptrdiff_t>(tracksAt),
                                imd.begin() + static_cast<std::ptrdiff_t>(tracksAt + 8213))})),
        file("imd_count_one_more", Patched(blankImd, tracksAt + 3, 9, 1)),
        file("imd_count_one_less", Patched(blankImd, tracksAt + 3, 7, 1)),
        file("imd_size_table_of_1000", Patched(imdSizes, tracksAt + 13, 1000, 2)),
        file("imd_track_over_64k", BuildImd(LargeSectors(9))),
        {"fdd_whose_header_is_a_plausible_d88", FddAlsoD88, std::nullopt, {}, false, ConvertFdd},
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
    const bool named = *testCase.format == ImageFormat::NfdR0 ||
                       *testCase.format == ImageFormat::NfdR1 ||
                       *testCase.format == ImageFormat::Dim || *testCase.format == ImageFormat::Fdd;
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

// The TD0 reader alone, before any other format's look: what it reads, and
// which files it names as of the old compression.
TEST(Td0Reader, ReadsOrNamesTheOldCompression)
{
    Td0Options version20;
    version20.advanced = true;
    version20.version = 20;
    Td0Options version19 = version20;
    version19.version = 19;
    const Bytes old = BuildTd0(SmallDisk(), version19);
    const struct {
        const char* name;
        Bytes file;
        bool converts;
        bool old;
    } cases[] = {
        {"normal", BuildTd0(SmallDisk()), true, false},
        {"lzhuf_of_2_0", BuildTd0(SmallDisk(), version20), true, false},
        {"lzw_of_1_9", old, false, true},
        {"lzw_second_volume", Td0HeaderPatched(old, 2, 1), false, false},
        {"typed_by_hand", EmptyTd0(), true, false},
        {"crc_bytes_swapped", Patched(EmptyTd0(), 10, 0x1E51, 2), false, false},
        {"d88_named_td", D88ImageBuilder().Name("TD").Build(), false, false},
    };
    for (const auto& testCase : cases) {
        MemoryByteSource source(testCase.file);
        EXPECT_EQ(ConvertTd0(source).has_value(), testCase.converts) << testCase.name;
        EXPECT_EQ(IsOldTeledisk(source), testCase.old) << testCase.name;
    }
}

// Each data block method, written for the sector it suits, expands to the
// sector again, in a normal and a compressed file.
TEST(Td0Reader, ExpandsEachMethod)
{
    Bytes runs(1024, 0xF6);
    std::fill_n(runs.begin(), 100, 0);
    const Bytes noise = PatternBytes(300, 1);
    std::copy(noise.begin(), noise.end(), runs.begin() + 100);
    Bytes blocks;
    for (int k = 0; k < 64; ++k) {
        blocks.insert(blocks.end(), {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'});
    }
    const Bytes tail = PatternBytes(512, 2);
    blocks.insert(blocks.end(), tail.begin(), tail.end());
    Bytes pairs;
    for (int k = 0; k < 256; ++k) {
        pairs.insert(pairs.end(), {0x4E, 0x00});
    }
    const struct {
        const char* name;
        Bytes data;
        std::uint8_t runShift;
        std::uint8_t method;
    } cases[] = {
        {"raw", PatternBytes(1024, 7), 1, 0},    {"raw_16k", PatternBytes(16384, 8), 1, 0},
        {"raw_128", PatternBytes(128, 9), 1, 0}, {"one_byte_pattern", Bytes(1024, 0xE5), 1, 1},
        {"two_byte_pattern", pairs, 1, 1},       {"pattern_16k", Bytes(16384, 0), 1, 1},
        {"runs_of_2_byte_blocks", runs, 1, 2},   {"runs_of_8_byte_blocks", blocks, 3, 2},
    };
    for (const auto& testCase : cases) {
        Td0Options options;
        options.runShift = testCase.runShift;
        for (const bool advanced : {false, true}) {
            SCOPED_TRACE(std::string(testCase.name) + (advanced ? " td" : " TD"));
            options.advanced = advanced;
            const Bytes file = BuildTd0(OneSector(testCase.data), options);
            if (!advanced) {
                ASSERT_EQ(file[Td0BlockAt + 2], testCase.method) << "the method written";
            }
            MemoryByteSource source(file);
            const std::optional<D88Bytes> image = ConvertTd0(source);
            ASSERT_TRUE(image);
            const ParsedImage parsed = ParseD88(*image);
            ASSERT_EQ(parsed.sectors.size(), 1U);
            EXPECT_EQ(parsed.sectors[0].data, testCase.data);
        }
    }
}
}  // namespace
