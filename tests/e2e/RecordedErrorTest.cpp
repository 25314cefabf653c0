// Sectors an image records as misread (status A0, B0, E0, F0): a region read
// in full through one is damaged, as one cut short is. Its file is written
// with the bytes as recorded only where no file of its name is, and the run
// fails; other status values are no errors, and recognition ignores them.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "Console.h"
#include "D88Layout.h"
#include "Expectations.h"
#include "Messages.h"
#include "TitleDisks.h"
#include "ToolRun.h"

namespace {

void SetStatus(D88ImageBuilder& disk, int trackIndex, int r, std::uint8_t status)
{
    for (BuiltSector& sector : disk.SectorsOf(trackIndex)) {
        if (sector.r == r) {
            sector.status = status;
        }
    }
}

struct Damage {
    int trackIndex;
    int r;
    std::uint8_t status;
};

struct Case {
    std::string what;
    bool diskA;
    std::vector<Damage> damage;
    // A sector removed as well, to cut a region short (none when 0), or
    // with half its data recorded.
    int removedTrack;
    int removedR;
    bool halfRecorded;
    // The file of that name already there.
    const char* existing;
    std::string err;
    int exitStatus;
    // The files that differ from the disk's own: name -> kept from byte.
    std::map<std::string, std::size_t> zeroedFrom;
};

std::string ErrorLine(const char* name)
{
    return MessageText(RecordedReadErrorFormat, name);
}

std::vector<Case> Cases()
{
    std::vector<Case> cases;
    for (const std::uint8_t status : {d88::StatusIdCrcError, d88::StatusDataCrcError,
                                      d88::StatusNoAddressMark, d88::StatusNoDataMark}) {
        const std::string code = std::to_string(status);
        // MUS00 is track 11 R 4 and 5; BIOS98 starts at track 100 R 1.
        cases.push_back({"status " + code + " on a music sector",
                         false,
                         {{11, 5, status}},
                         0,
                         0,
                         false,
                         nullptr,
                         ErrorLine("MUS00"),
                         1,
                         {}});
        cases.push_back({"status " + code + " on a music sector, file there",
                         false,
                         {{11, 5, status}},
                         0,
                         0,
                         false,
                         "MUS00",
                         ErrorLine("MUS00") + MessageText(KeptExistingFileFormat, "MUS00"),
                         1,
                         {}});
        cases.push_back({"status " + code + " on a BIOS98 sector",
                         true,
                         {{101, 8, status}},
                         0,
                         0,
                         false,
                         nullptr,
                         ErrorLine("BIOS98"),
                         1,
                         {}});
        cases.push_back({"status " + code + " on a BIOS98 sector, file there",
                         true,
                         {{101, 8, status}},
                         0,
                         0,
                         false,
                         "BIOS98",
                         ErrorLine("BIOS98") + MessageText(KeptExistingFileFormat, "BIOS98"),
                         1,
                         {}});
    }
    for (const std::uint8_t status : std::initializer_list<std::uint8_t>{0x10, 0x01, 0x40, 0xC0}) {
        cases.push_back({"status " + std::to_string(status) + " is no error",
                         false,
                         {{11, 5, status}, {12, 2, status}},
                         0,
                         0,
                         false,
                         "MUS00",
                         "",
                         0,
                         {}});
    }
    // MUS01 is track 11 R 6 to track 12 R 1.
    cases.push_back({"an error and a region cut short",
                     false,
                     {{11, 6, 0xB0}},
                     11,
                     7,
                     false,
                     nullptr,
                     MessageText(PartlyReadFormat, "MUS01", 1024, 4096) + ErrorLine("MUS01"),
                     1,
                     {{"MUS01", 1024}}});
    cases.push_back({"an error in the sector that is cut short does not count",
                     false,
                     {{11, 8, 0xB0}},
                     11,
                     8,
                     true,
                     nullptr,
                     MessageText(PartlyReadFormat, "MUS01", 2048, 4096),
                     1,
                     {{"MUS01", 2048}}});
    cases.push_back({"an error on the signature sector",
                     true,
                     {{120, 1, 0xB0}},
                     0,
                     0,
                     false,
                     nullptr,
                     "",
                     0,
                     {}});
    return cases;
}

TEST(RecordedErrors, DamageTheRegionAndNeverReplaceAFile)
{
    const D88ImageBuilder diskA = MakeDiskA();
    const D88ImageBuilder diskB = MakeDiskB();
    for (const Case& testCase : Cases()) {
        SCOPED_TRACE(testCase.what);
        D88ImageBuilder disk = testCase.diskA ? diskA : diskB;
        for (const Damage& damage : testCase.damage) {
            SetStatus(disk, damage.trackIndex, damage.r, damage.status);
        }
        if (testCase.halfRecorded) {
            ShortenSector(disk, testCase.removedTrack, testCase.removedR, 512);
        } else if (testCase.removedTrack != 0) {
            disk.RemoveSector(testCase.removedTrack, static_cast<std::uint8_t>(testCase.removedR));
        }
        FileSet files = testCase.diskA ? DiskAFiles(diskA) : DiskBFiles(diskB);
        for (const auto& [name, kept] : testCase.zeroedFrom) {
            files[name] = ZeroedFrom(files[name], kept);
        }
        ToolSandbox sandbox;
        if (testCase.existing != nullptr) {
            const Bytes older = {'o', 'l', 'd', '\n'};
            ASSERT_TRUE(WriteBytesToFile(sandbox.WorkDir() + "/" + testCase.existing, older));
            // Kept only where the region is damaged.
            if (testCase.exitStatus != 0) {
                files[testCase.existing] = older;
            }
        }
        const std::string image = sandbox.AddImage(disk.Build());
        ExpectRun(sandbox.Run({image}), testCase.diskA ? DiskAOutput() : DiskBOutput(),
                  testCase.err, testCase.exitStatus);
        ExpectDirectoryHolds(sandbox.WorkDir(), files);
    }
}

}  // namespace
