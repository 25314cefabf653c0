// d88cut cutting the regions of recognised disks into files: every file
// byte for byte against the sectors it was cut from, regions that cannot be
// read in full, and files that cannot be written.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <string>

#include "Console.h"
#include "Expectations.h"
#include "Messages.h"
#include "TitleDisks.h"
#include "ToolRun.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t SectorBytes = 1024;

// The label the test disks put at the start of every sector.
std::string LabelAt(const Bytes& file, std::size_t sectorIndex)
{
    if (file.size() <= sectorIndex * SectorBytes) {
        return "(no sector " + std::to_string(sectorIndex) + ")";
    }
    const auto start = file.begin() + static_cast<std::ptrdiff_t>(sectorIndex * SectorBytes);
    return std::string(start, std::find(start, file.end(), '\n'));
}

Bytes TextBytes(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

// Files the tests put in the work directory before a run, as a user's
// earlier results.
FileSet OlderFiles(std::initializer_list<const char*> names)
{
    FileSet files;
    for (const char* name : names) {
        std::string text = name;
        text += " of an earlier run\n";
        files[name] = TextBytes(text);
    }
    return files;
}

void PutFiles(const std::string& dir, const FileSet& files)
{
    for (const auto& [name, bytes] : files) {
        ASSERT_TRUE(WriteBytesToFile((fs::path(dir) / name).string(), bytes)) << name;
    }
}

TEST(Extraction, DiskBGivesSixteenMusicFiles)
{
    const D88ImageBuilder diskB = MakeDiskB();
    ToolSandbox sandbox;
    const std::string image = sandbox.AddImage(diskB.Build());

    ExpectRun(sandbox.Run({image}), DiskBOutput(), "", 0);
    ExpectDirectoryHolds(sandbox.WorkDir(), DiskBFiles(diskB));
    // The regions that run on into the next track end on its first sector.
    const std::string dir = sandbox.WorkDir() + "/";
    EXPECT_EQ(LabelAt(ReadBytesFromFile(dir + "MUS01"), 3), "track 012 sector 1");
    EXPECT_EQ(LabelAt(ReadBytesFromFile(dir + "MUS05"), 1), "track 013 sector 1");
    EXPECT_EQ(LabelAt(ReadBytesFromFile(dir + "MUS11"), 6), "track 015 sector 1");
}

TEST(Extraction, DiskAGivesBios98FromTracks100To102)
{
    const D88ImageBuilder diskA = MakeDiskA();
    ToolSandbox sandbox;
    // Any name a file system can hold opens, on Windows too.
    const std::string image =
        sandbox.AddImage(diskA.Build(),
                         "\xE3\x83\x87\xE3\x82\xA3\xE3\x82\xB9\xE3\x82\xAF "
                         "\xD0\x94\xD0\xB8\xD1\x81\xD0\xBA \xF0\x9F\x92\xBE.d88");

    ExpectRun(sandbox.Run({image}), DiskAOutput(), "", 0);
    ExpectDirectoryHolds(sandbox.WorkDir(), DiskAFiles(diskA));
    const Bytes bios98 = ReadBytesFromFile(sandbox.WorkDir() + "/BIOS98");
    EXPECT_EQ(LabelAt(bios98, 0), "track 100 sector 1");
    EXPECT_EQ(LabelAt(bios98, 8), "track 101 sector 1");
    EXPECT_EQ(LabelAt(bios98, 23), "track 102 sector 8");
}

TEST(Extraction, SecondRunReplacesTheFilesOfTheFirst)
{
    const D88ImageBuilder firstA = MakeDiskA();
    const D88ImageBuilder firstB = MakeDiskB();
    const D88ImageBuilder secondA = WithOtherContents(firstA, 0xFF);
    const D88ImageBuilder secondB = WithOtherContents(firstB, 0xFF);
    ToolSandbox sandbox;

    const std::string firstImage = sandbox.AddImage(Concat({firstA.Build(), firstB.Build()}));
    ExpectRun(sandbox.Run({firstImage}), DiskAOutput() + DiskBOutput(), "", 0);
    FileSet firstFiles = DiskAFiles(firstA);
    firstFiles.merge(DiskBFiles(firstB));
    ExpectDirectoryHolds(sandbox.WorkDir(), firstFiles);

    const std::string secondImage =
        sandbox.AddImage(Concat({secondA.Build(), secondB.Build()}), "second.d88");
    ExpectRun(sandbox.Run({secondImage}), DiskAOutput() + DiskBOutput(), "", 0);
    FileSet secondFiles = DiskAFiles(secondA);
    secondFiles.merge(DiskBFiles(secondB));
    EXPECT_NE(secondFiles, firstFiles);
    ExpectDirectoryHolds(sandbox.WorkDir(), secondFiles);
}

// A region that breaks off after whole sectors is written at full length:
// what was read, then zeros. Disk A comes first, so that the tool's buffer
// holds 24 KiB of BIOS98 bytes that must not leak into the MUS files.
TEST(Extraction, RegionBrokenOffIsWrittenWithAZeroTail)
{
    const D88ImageBuilder diskA = MakeDiskA();
    const D88ImageBuilder diskB = MakeDiskB();
    D88ImageBuilder damagedB = diskB;
    damagedB.RemoveSector(11, 7);         // second sector of MUS01
    ShortenSector(damagedB, 13, 6, 512);  // second sector of MUS08, only half recorded
    damagedB.RemoveSector(15, 1);         // last sector of MUS11, on the next track
    ToolSandbox sandbox;
    const std::string image = sandbox.AddImage(Concat({diskA.Build(), damagedB.Build()}));

    ExpectRun(sandbox.Run({image}), DiskAOutput() + DiskBOutput(),
              MessageText(PartlyReadFormat, "MUS01", 1024, 4096) +
                  MessageText(PartlyReadFormat, "MUS08", 1024, 4096) +
                  MessageText(PartlyReadFormat, "MUS11", 6144, 7168),
              1);
    FileSet files = DiskAFiles(diskA);
    files.merge(DiskBFiles(diskB));
    files["MUS01"] = ZeroedFrom(files["MUS01"], 1024);
    files["MUS08"] = ZeroedFrom(files["MUS08"], 1024);
    files["MUS11"] = ZeroedFrom(files["MUS11"], 6144);
    ExpectDirectoryHolds(sandbox.WorkDir(), files);
}

// A region read only in part never takes the place of a file of its name,
// whether an earlier run or an earlier image of the same run wrote it.
TEST(Extraction, DamagedRegionKeepsAnExistingFile)
{
    const D88ImageBuilder diskA = MakeDiskA();
    const D88ImageBuilder otherA = WithOtherContents(diskA, 0x77);
    D88ImageBuilder damagedA = otherA;
    damagedA.RemoveSector(101, 3);
    const std::string partly = MessageText(PartlyReadFormat, "BIOS98", 10240, 24576);
    const std::string kept = partly + MessageText(KeptExistingFileFormat, "BIOS98");
    const struct {
        const char* what;
        std::vector<Bytes> images;
        FileSet before;
        std::string out;
        std::string err;
        FileSet after;
    } cases[] = {
        {"no file there: written with its zero tail",
         {damagedA.Build()},
         {},
         DiskAOutput(),
         partly,
         {{"BIOS98", ZeroedFrom(DiskAFiles(otherA).at("BIOS98"), 10240)}}},
        {"file of an earlier run",
         {damagedA.Build()},
         OlderFiles({"BIOS98"}),
         DiskAOutput(),
         kept,
         OlderFiles({"BIOS98"})},
        {"file of an earlier image",
         {diskA.Build(), damagedA.Build()},
         {},
         DiskAOutput() + DiskAOutput(),
         kept,
         DiskAFiles(diskA)},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.what);
        ToolSandbox sandbox;
        PutFiles(sandbox.WorkDir(), testCase.before);
        const std::string image = sandbox.AddImage(Concat(testCase.images));
        ExpectRun(sandbox.Run({image}), testCase.out, testCase.err, 1);
        ExpectDirectoryHolds(sandbox.WorkDir(), testCase.after);
    }
}

// Without its first sector a region gives no file and leaves an older file
// of its name as it was; the other regions are still cut.
TEST(Extraction, RegionWithoutItsFirstSectorWritesNothing)
{
    const D88ImageBuilder diskB = MakeDiskB();
    D88ImageBuilder damagedB = diskB;
    damagedB.RemoveSector(12, 2);  // MUS02
    damagedB.RemoveSector(14, 1);  // MUS09
    ToolSandbox sandbox;
    const std::string image = sandbox.AddImage(damagedB.Build());
    const FileSet older = OlderFiles({"MUS02"});
    PutFiles(sandbox.WorkDir(), older);

    std::string out = MessageText(RecognisedFormat, "B");
    for (const ExpectedRegion& region : MusicRegions) {
        if (std::string(region.name) != "MUS02" && std::string(region.name) != "MUS09") {
            out += MessageText(CuttingFormat, region.name);
        }
    }
    ExpectRun(sandbox.Run({image}), out,
              MessageText(CannotReadSectorsFormat, "MUS02") +
                  MessageText(CannotReadSectorsFormat, "MUS09"),
              1);
    FileSet files = DiskBFiles(diskB);
    files["MUS02"] = older.at("MUS02");
    files.erase("MUS09");
    ExpectDirectoryHolds(sandbox.WorkDir(), files);
}

TEST(Extraction, DiskAWithoutTrack100WritesNoBios98)
{
    D88ImageBuilder diskA = MakeDiskA();
    diskA.RemoveTrack(100);
    ToolSandbox sandbox;
    const std::string image = sandbox.AddImage(diskA.Build());

    ExpectRun(sandbox.Run({image}), MessageText(RecognisedFormat, "A"),
              MessageText(CannotReadSectorsFormat, "BIOS98"), 1);
    ExpectDirectoryHolds(sandbox.WorkDir(), {});
}

// A directory the tool cannot write in: every region reports its file and
// the older files stay as they were.
TEST(WriteFailure, DirectoryThatCannotBeWritten)
{
    RunOptions options;
    std::string why;
    const bool unprivileged = CanRunUnprivileged(why);
    if (!unprivileged && geteuid() == 0) {
        GTEST_SKIP() << "cannot make a directory unwritable for root: " << why;
    }
    options.unprivileged = unprivileged;
    ToolSandbox sandbox;
    const std::string image = sandbox.AddImage(Concat({MakeDiskA().Build(), MakeDiskB().Build()}));
    const FileSet older = OlderFiles({"BIOS98", "MUS05"});
    PutFiles(sandbox.WorkDir(), older);
    if (!unprivileged) {
        fs::permissions(sandbox.WorkDir(), fs::perms::owner_read | fs::perms::owner_exec |
                                               fs::perms::group_read | fs::perms::group_exec |
                                               fs::perms::others_read | fs::perms::others_exec);
    }

    std::string err = MessageText(CannotWriteFileFormat, "BIOS98");
    for (const ExpectedRegion& region : MusicRegions) {
        err += MessageText(CannotWriteFileFormat, region.name);
    }
    ExpectRun(sandbox.Run({image}, options), DiskAOutput() + DiskBOutput(), err, 1);
    ExpectDirectoryHolds(sandbox.WorkDir(), older);
}

// Writes that stop at 1,024 bytes: the 1,024-byte regions are written, every
// longer one fails part way, and its half-written temporary file is gone.
TEST(WriteFailure, FileSizeLimitStopsTheLongerFiles)
{
    const D88ImageBuilder diskB = MakeDiskB();
    ToolSandbox sandbox;
    const std::string image = sandbox.AddImage(diskB.Build());
    const FileSet older = OlderFiles({"MUS00", "MUS15"});
    PutFiles(sandbox.WorkDir(), older);
    RunOptions options;
    options.fileSizeLimitBlocks = 2;

    FileSet files = older;
    std::string err;
    for (const auto& [name, bytes] : DiskBFiles(diskB)) {
        if (bytes.size() <= 1024) {
            files[name] = bytes;
        } else {
            err += MessageText(CannotWriteFileFormat, name.c_str());
        }
    }
    ExpectRun(sandbox.Run({image}, options), DiskBOutput(), err, 1);
    ExpectDirectoryHolds(sandbox.WorkDir(), files);
}

// The file being read is never replaced by an output, whatever name or link
// leads to it; the other regions are still cut.
TEST(WriteFailure, InputFileIsNeverReplaced)
{
    const D88ImageBuilder diskA = MakeDiskA();
    const D88ImageBuilder diskB = MakeDiskB();
    const Bytes disks = Concat({diskA.Build(), diskB.Build()});
    ToolSandbox sandbox;
    const std::string dir = sandbox.WorkDir() + "/";
    ASSERT_TRUE(WriteBytesToFile(dir + "MUS03", disks));
    fs::create_hard_link(dir + "MUS03", dir + "MUS07");
    fs::create_symlink("MUS03", dir + "BIOS98");

    ExpectRun(sandbox.Run({"MUS03"}), DiskAOutput() + DiskBOutput(),
              MessageText(CannotWriteFileFormat, "BIOS98") +
                  MessageText(CannotWriteFileFormat, "MUS03") +
                  MessageText(CannotWriteFileFormat, "MUS07"),
              1);
    EXPECT_TRUE(fs::is_symlink(dir + "BIOS98"));
    FileSet files = DiskBFiles(diskB);
    files["MUS03"] = disks;
    files["MUS07"] = disks;
    fs::remove(dir + "BIOS98");
    ExpectDirectoryHolds(sandbox.WorkDir(), files);
}

// A directory where a file should go is not replaced; the next regions are
// still cut.
TEST(WriteFailure, DirectoryStandingWhereAFileShouldGo)
{
    const D88ImageBuilder diskB = MakeDiskB();
    ToolSandbox sandbox;
    const std::string image = sandbox.AddImage(diskB.Build());
    const std::string inTheWay = sandbox.WorkDir() + "/MUS03";
    fs::create_directory(inTheWay);
    const Bytes keep = TextBytes("a file of the user's\n");
    ASSERT_TRUE(WriteBytesToFile(inTheWay + "/keep", keep));

    ExpectRun(sandbox.Run({image}), DiskBOutput(), MessageText(CannotWriteFileFormat, "MUS03"), 1);
    FileSet files = DiskBFiles(diskB);
    files.erase("MUS03");
    ExpectDirectoryHolds(sandbox.WorkDir(), files, {"MUS03"});
    ExpectDirectoryHolds(inTheWay, {{"keep", keep}});
}

}  // namespace
