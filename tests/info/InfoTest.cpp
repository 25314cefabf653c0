// d88info as a user runs it: on the title's disks in every format, on disks
// that miss a signature in each way, on the real files of the corpus, and on
// its command line.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "Checksums.h"
#include "D88Layout.h"
#include "FormatImageBuilders.h"
#include "InfoRun.h"
#include "ProcessRun.h"
#include "TitleDisks.h"

namespace {

using nlohmann::json;

// What the system says of a file that does not exist: glibc's words, or
// Wine's for the Windows build.
std::string MissingFileReason()
{
    return ConsoleShowsShiftJis() ? "File not found." : "No such file or directory";
}

json ParsedJson(const ProgramRun& run)
{
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    return json::parse(run.out);
}

// Each region d88info reports has the length and checksums of the file
// d88cut left, or d88cut left no file of its name.
void ExpectFilesOfD88cut(const InfoSandbox& sandbox, const json& regions)
{
    ASSERT_FALSE(regions.empty());
    for (const json& region : regions) {
        const Bytes file = sandbox.Read(region["name"]);
        SCOPED_TRACE(region["name"].get<std::string>());
        if (!region["file_written"].get<bool>()) {
            EXPECT_TRUE(file.empty());
            continue;
        }
        EXPECT_EQ(region["complete"].get<bool>(), region["bytes_read"] == region["length"]);
        EXPECT_EQ(region["length"], file.size());
        char crc[9];
        static_cast<void>(
            std::snprintf(crc, sizeof crc, "%08x", Crc32Of(file.data(), file.size())));
        EXPECT_EQ(region["crc32"], crc);
        EXPECT_EQ(region["sha256"], Sha256HexOf(file.data(), file.size()));
    }
}

TEST(Info, TitleDisksInEveryFormatGiveTheFilesOfD88cut)
{
    const struct {
        const char* disk;
        D88ImageBuilder image;
    } disks[] = {{"A", MakeDiskA()}, {"B", MakeDiskB()}};
    const ImageFormat formats[] = {ImageFormat::D88,   ImageFormat::Hdm,   ImageFormat::Fdi,
                                   ImageFormat::NfdR0, ImageFormat::NfdR1, ImageFormat::Dcp};
    for (const auto& disk : disks) {
        for (const ImageFormat format : formats) {
            SCOPED_TRACE(std::string("disk ") + disk.disk + " as " + ImageFormatName(format));
            InfoSandbox sandbox;
            const std::string name = sandbox.Add(
                format == ImageFormat::D88 ? disk.image.Build() : BuildInFormat(format, disk.image),
                "disk.img");
            const json report = ParsedJson(sandbox.RunInfo({"--json", name}))[0];
            EXPECT_EQ(report["format"], ImageFormatName(format));
            EXPECT_FALSE(report.contains("flux"));
            const json& image = report["images"][0];
            EXPECT_EQ(image["verdict"]["disk"], disk.disk);
            EXPECT_EQ(image["tracks"].size(), 154U);
            for (const json& region : image["regions"]) {
                EXPECT_TRUE(region["complete"].get<bool>()) << region["name"];
            }
            ASSERT_EQ(sandbox.RunCut({name}).exitStatus, 0);
            ExpectFilesOfD88cut(sandbox, image["regions"]);
        }
    }
}

TEST(Info, DamagedRegionsGiveTheFilesOfD88cut)
{
    // MUS11 ends in a sector cut short, whose bytes must not leak into the
    // file; MUS12 starts in a sector that is missing; MUS00's second sector
    // (track 11 R 5) is recorded with a data CRC error.
    D88ImageBuilder disk = MakeDiskB();
    disk.SectorsOf(15)[0].data.resize(512);
    disk.RemoveSector(15, 2);
    disk.SectorsOf(11)[4].status = d88::StatusDataCrcError;
    InfoSandbox sandbox;
    const std::string name = sandbox.Add(disk.Build());
    const json regions = ParsedJson(sandbox.RunInfo({"--json", name}))[0]["images"][0]["regions"];
    sandbox.RunCut({name});
    ExpectFilesOfD88cut(sandbox, regions);
    EXPECT_EQ(regions[11]["bytes_read"], 6144);
    EXPECT_TRUE(regions[11]["file_written"].get<bool>());
    EXPECT_TRUE(regions[11]["damaged"].get<bool>());
    EXPECT_FALSE(regions[12]["file_written"].get<bool>());
    EXPECT_TRUE(regions[0]["complete"].get<bool>());
    EXPECT_TRUE(regions[0]["damaged"].get<bool>());
    EXPECT_EQ(regions[0]["recorded_errors"],
              json::parse(R"([{"track":11,"c":5,"h":1,"r":5,"n":3,"status":176}])"));
    EXPECT_FALSE(regions[1]["damaged"].get<bool>());
    EXPECT_NE(sandbox.RunInfo({name}).out.find(
                  "      damaged: read errors recorded in track 11 (C 5 H 1 R 5 N 3) status B0\n"),
              std::string::npos);
}

void SetSignatureBytes(D88ImageBuilder& disk, const DiskSignature& signature, const char* text)
{
    for (BuiltSector& sector : disk.SectorsOf(signature.sector.trackIndex)) {
        if (sector.r == signature.sector.r) {
            std::copy(text, text + signature.length, sector.data.begin() + signature.offset);
        }
    }
}

void ShortenSignatureSector(D88ImageBuilder& disk, const DiskSignature& signature)
{
    for (BuiltSector& sector : disk.SectorsOf(signature.sector.trackIndex)) {
        if (sector.r == signature.sector.r) {
            sector.data.resize(512);
        }
    }
}

TEST(Info, EachWayOfMissingASignatureIsExplained)
{
    const std::string aLine = "    Disk A signature in track 120 (C 60 H 0 R 1 N 3) at byte 2: ";
    const std::string bLine = "    Disk B signature in track 100 (C 50 H 0 R 2 N 3) at byte 539: ";
    D88ImageBuilder aMissing = MakeDiskA();
    aMissing.RemoveSector(120, 1);
    D88ImageBuilder aShort = MakeDiskA();
    ShortenSignatureSector(aShort, DiskASignature);
    D88ImageBuilder aDifferent = MakeDiskA();
    SetSignatureBytes(aDifferent, DiskASignature, "@(rev)QuillMoraven PC-99");
    D88ImageBuilder bMissing = MakeDiskB();
    bMissing.RemoveTrack(100);
    D88ImageBuilder bShort = MakeDiskB();
    ShortenSignatureSector(bShort, DiskBSignature);
    D88ImageBuilder bDifferent = MakeDiskB();
    SetSignatureBytes(bDifferent, DiskBSignature,
                      "\x82\x70\x82\x74\x82\x68\x82\x6B\x82\x6B\x81"
                      "\x40\x82\x6C\x82\x6E\x82\x71\x82\x60\x82\x75"
                      "\x82\x64\x82\x6E");
    const struct {
        const char* what;
        const D88ImageBuilder& disk;
        std::vector<std::string> lines;
    } cases[] = {
        {"A missing", aMissing, {aLine + "missing: no sector of that ID with data in the track"}},
        {"A short", aShort, {aLine + "short: 512 of 1,024 bytes"}},
        {"A different",
         aDifferent,
         {aLine + "different", "      expected \"@(rev)QuillMoraven PC-98\"",
          "      found    \"@(rev)QuillMoraven PC-99\"",
          "               40 28 72 65 76 29 51 75 69 6c 6c 4d 6f 72 61 76 65 6e 20 50 43 2d 39 "
          "39"}},
        {"B missing", bMissing, {bLine + "missing: the track is not recorded"}},
        {"B short", bShort, {bLine + "short: 512 of 1,024 bytes"}},
        {"B different",
         bDifferent,
         {bLine + "different",
          "               82 70 82 74 82 68 82 6b 82 6b 81 40 82 6c 82 6e 82 71 82 60 82 75 "
          "82 64 82 6e"}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        InfoSandbox sandbox;
        const ProgramRun run = sandbox.RunInfo({sandbox.Add(test.disk.Build())});
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_NE(run.out.find("  Verdict:       neither disk of the title\n"), std::string::npos)
            << run.out;
        for (const std::string& line : test.lines) {
            EXPECT_NE(run.out.find("\n" + line + "\n"), std::string::npos) << line << run.out;
        }
    }
}

TEST(Info, HeaderFieldsAndUnusualSectorsAreShown)
{
    D88ImageBuilder disk;
    // "ﾃｽﾄ", "あ", a byte no code page decodes, a backslash and a control byte.
    disk.Name("\xC3\xBD\xC4\x82\xA0\xFD\\\x01").MediaType(0x30);
    std::vector<BuiltSector> track = UniformTrack(0, 4, 1);
    track[1].fm = true;
    track[2].deleted = true;
    track[3].status = 0xB0;
    track[3].r = 1;
    disk.Track(0, track).Track(1, UniformTrack(0, 2, 1));
    Bytes bytes = disk.Build();
    bytes[d88::WriteProtectField] = d88::WriteProtectOn;
    bytes.resize(bytes.size() - 100);
    InfoSandbox sandbox;
    const std::string name = sandbox.Add(bytes);
    const ProgramRun text = sandbox.RunInfo({name});
    const std::string shownName =
        ConsoleShowsShiftJis() ? "\xC3\xBD\xC4\x82\xA0\\xFD\\\\\\x01" : "ﾃｽﾄあ\\xFD\\\\\\x01";
    for (const std::string& line : {
             "  Name:          \"" + shownName + "\"",
             std::string("  Media type:    0x30 (1D)"),
             std::string("  Write-protect: 0x10 (on)"),
             std::string("    0  C 0  H 0  4 sectors  R 1-3,1  N 1 (256 bytes)  [duplicate IDs, "
                         "deleted data, FM, non-zero status]"),
             std::string("    1  C 0  H 0  2 sectors  R 1-2  N 1 (256 bytes)  [C/H not the "
                         "track's place, data cut short by the end of the image or file]"),
         }) {
        EXPECT_NE(text.out.find("\n" + line + "\n"), std::string::npos) << line << text.out;
    }
    const ProgramRun sectors = sandbox.RunInfo({"--sectors", name});
    EXPECT_NE(sectors.out.find("\n    track 0 sector 4: C 0 H 0 R 1 N 1, 256 bytes, MFM, status "
                               "0xB0, sector count 4\n"),
              std::string::npos)
        << sectors.out;
    EXPECT_NE(sectors.out.find("\n    track 1 sector 2: C 0 H 0 R 2 N 1, 256 bytes (156 in the "
                               "file), MFM, sector count 2\n"),
              std::string::npos)
        << sectors.out;
    const json image = ParsedJson(sandbox.RunInfo({"--json", name}))[0]["images"][0];
    EXPECT_EQ(image["name"]["text"], "ﾃｽﾄあ\\xFD\\\\\\x01");
    EXPECT_EQ(image["name"]["hex"], "c3bdc482a0fd5c01");
}

TEST(Info, RealFilesShowTheirGeometry)
{
    namespace fs = std::filesystem;
    const fs::path corpus = D88CUT_CORPUS_DIR;
    if (!fs::is_directory(corpus)) {
        GTEST_SKIP() << "the folder of real D88 files is missing: " << corpus;
    }
    const struct {
        const char* file;
        const char* trackLine;
    } files[] = {
        {"towns-fputest-2hd.d77", "    0-153  C 0-76  H 0-1  8 sectors  R 1-8  N 3 (1,024 bytes)"},
        {"fm7-demo2019-2d.d77", "    0-79  C 0-39  H 0-1  16 sectors  R 1-16  N 1 (256 bytes)"},
        {"x1-blank-2d.d88", "    0-79  C 0-39  H 0-1  16 sectors  R 1-16  N 1 (256 bytes)"},
        {"x1-truncated-2d.d88",
         "    79  C 39  H 1  1 sector  R 1  N 1 (256 bytes)  [fewer "
         "sectors than its sector count]"},
        {"pc98-sample-15bhdr.d88", "  Verdict:       neither disk of the title"},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.file);
        InfoSandbox sandbox;
        const std::string path = fs::absolute(corpus / file.file).string();
        const ProgramRun run = sandbox.RunInfo({path});
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_NE(run.out.find("\n" + std::string(file.trackLine) + "\n"), std::string::npos)
            << run.out;
        const json report = ParsedJson(sandbox.RunInfo({"--json", path}))[0];
        EXPECT_TRUE(report["images"][0]["verdict"]["disk"].is_null());
    }
}

TEST(Info, CommandLine)
{
    InfoSandbox sandbox;
    const std::string disk = sandbox.Add(MakeDiskB().Build());
    struct Run {
        std::vector<std::string> arguments;
        int exitStatus;
        std::string outStart;
        std::string err;
    };
    const Run runs[] = {
        {{"--version"}, 0, "d88info " D88INFO_VERSION "\n", ""},
        {{"--help"}, 0, "Usage: d88info [--sectors] [--json] FILE...\n", ""},
        {{}, 2, "", "d88info: no file given\nUsage: d88info [--sectors] [--json] FILE...\n"},
        {{"--bogus", disk},
         2,
         "",
         "d88info: unknown option --bogus\nUsage: d88info [--sectors] [--json] FILE...\n"},
        {{"absent.d88", disk},
         1,
         "disk.d88: D88, 1,281,968 bytes, 1 image\n",
         "d88info: cannot open absent.d88: " + MissingFileReason() + "\n"},
        {{"--", "--json"}, 1, "", "d88info: cannot open --json: " + MissingFileReason() + "\n"},
        // Windows' own way to ask for help; elsewhere a file's name.
        ConsoleShowsShiftJis()
            ? Run{{"/?"}, 0, "Usage: d88info [--sectors] [--json] FILE...\n", ""}
            : Run{{"/?"}, 1, "", "d88info: cannot open /?: " + MissingFileReason() + "\n"},
    };
    for (const auto& test : runs) {
        SCOPED_TRACE(test.arguments.empty() ? "no argument" : test.arguments.front());
        const ProgramRun run = sandbox.RunInfo(test.arguments);
        EXPECT_EQ(run.exitStatus, test.exitStatus);
        EXPECT_EQ(run.out.substr(0, test.outStart.size()), test.outStart);
        EXPECT_EQ(run.err, test.err);
    }
    // Any name a file system can hold opens, on Windows too, and JSON gives
    // it in UTF-8.
    const std::string named = sandbox.Add(MakeDiskB().Build(),
                                          "\xE3\x83\x87\xE3\x82\xA3\xE3\x82\xB9\xE3\x82\xAF "
                                          "\xD0\x94\xD0\xB8\xD1\x81\xD0\xBA \xF0\x9F\x92\xBE.d88");
    const json both = json::parse(sandbox.RunInfo({"--json", "absent.d88", named}).out);
    ASSERT_EQ(both.size(), 2U);
    EXPECT_FALSE(both[0]["opened"].get<bool>());
    EXPECT_EQ(both[1]["file"], named);
    EXPECT_EQ(both[1]["images"][0]["verdict"]["disk"], "B");
}

TEST(Info, FilesThatHoldNoImageAreNamed)
{
    InfoSandbox sandbox;
    const std::string zip = sandbox.Add(Bytes{'P', 'K', 3, 4, 20, 0}, "dump.zip");
    const std::string text = sandbox.Add(Bytes(100, 'x'), "notes.txt");
    const ProgramRun run = sandbox.RunInfo({zip, text});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out,
              "dump.zip: ZIP archive: unpack it and give the image inside\n\n"
              "notes.txt: not a disk image: its bytes fit none of the formats d88cut "
              "reads\n");
    const json reports = ParsedJson(sandbox.RunInfo({"--json", zip, text}));
    EXPECT_EQ(reports[0], json::parse(R"({"file": "dump.zip", "opened": true,
        "format": "ZIP archive", "images": [], "not_a_disk_image":
        {"container": "ZIP archive", "reason": "unpack it and give the image inside"}})"));
    EXPECT_EQ(reports[1]["not_a_disk_image"]["container"], nullptr);
}

TEST(Info, FilesThatDoNotOpenSayWhy)
{
    InfoSandbox sandbox;
    ASSERT_TRUE(std::filesystem::create_directory(sandbox.PathOf("folder.d88")));
    struct Unopened {
        const char* name;
        std::string reason;
    };
    std::vector<Unopened> files = {{"absent.d88", MissingFileReason()},
                                   {"folder.d88", "Is a directory"}};
    // A pipe is no file a Windows program opens through Wine.
    if (!RunsThroughLauncher()) {
        ASSERT_EQ(mkfifo(sandbox.PathOf("pipe.d88").c_str(), 0600), 0);
        files.push_back({"pipe.d88", "not a regular file or block device"});
    }
    for (const Unopened& file : files) {
        SCOPED_TRACE(file.name);
        const ProgramRun run = sandbox.RunInfo({"--json", file.name});
        EXPECT_EQ(run.exitStatus, 1);
        EXPECT_EQ(run.err,
                  "d88info: cannot open " + std::string(file.name) + ": " + file.reason + "\n");
        EXPECT_EQ(json::parse(run.out)[0],
                  json({{"file", file.name}, {"opened", false}, {"reason", file.reason}}));
    }
}

TEST(Info, DiskTextIsDecodedWithoutTheSystemsConverters)
{
    // iconv's modules out of reach: the names still decode, from the
    // program's own table.
    InfoSandbox sandbox;
    const std::filesystem::path noModules = sandbox.PathOf("no-gconv");
    ASSERT_TRUE(std::filesystem::create_directory(noModules));
    D88ImageBuilder disk = MakeBlankTitleDisk();
    disk.Name("\x83\x66\x83\x42\x83\x58\x83\x4E\x87\x40");
    const std::string name = sandbox.Add(disk.Build());
    const std::string prefix = "env GCONV_PATH=" + noModules.string() + " ";
    const json report = ParsedJson(sandbox.RunInfo({"--json", name}, prefix))[0];
    EXPECT_EQ(report["images"][0]["name"]["text"], "ディスク①");
}

}  // namespace
