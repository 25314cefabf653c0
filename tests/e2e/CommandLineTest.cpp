// d88cut run as a user runs it: the command line, the pass over the images
// and the recognition of each one, checked on the console bytes, the exit
// status and the files left in the directory.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "Console.h"
#include "D88Layout.h"
#include "Expectations.h"
#include "LittleEndian.h"
#include "Messages.h"
#include "TitleDisks.h"
#include "TitleLayout.h"
#include "ToolRun.h"

namespace {

// The images of `disks`, laid end to end in one file.
Bytes BuildEndToEnd(const std::vector<const D88ImageBuilder*>& disks)
{
    std::vector<Bytes> images;
    images.reserve(disks.size());
    for (const D88ImageBuilder* disk : disks) {
        images.emplace_back(disk->Build());
    }
    return Concat(images);
}

struct ArgumentCase {
    const char* what;
    std::vector<std::string> arguments;
};

TEST(CommandLine, WrongArgumentsPrintTheUsageAndOpenNothing)
{
    ToolSandbox sandbox;
    const std::string image = sandbox.AddImage(MakeDiskA().Build());
    const ArgumentCase cases[] = {
        {"no argument", {}},
        {"three arguments", {image, "1", "1"}},
        {"disk number 0", {image, "0"}},
        {"disk number 3", {image, "3"}},
        {"a letter", {image, "A"}},
        {"an empty disk number", {image, ""}},
        {"full-width 1", {image, "\xEF\xBC\x91"}},
        {"full-width 2", {image, "\xEF\xBC\x92"}},
        // The disk number is refused before the file is opened.
        {"bad disk number, missing file", {"missing.d88", "3"}},
    };
    for (const ArgumentCase& testCase : cases) {
        SCOPED_TRACE(testCase.what);
        ExpectRun(sandbox.Run(testCase.arguments), "", UsageText(), 1);
        ExpectDirectoryHolds(sandbox.WorkDir(), {});
    }
}

TEST(CommandLine, FileThatCannotBeOpenedIsAnError)
{
    ToolSandbox sandbox;
    std::filesystem::create_directory(sandbox.WorkDir() + "/folder.d88");
    // Nobody writes into the pipe: a tool that read it would wait for ever.
    ASSERT_EQ(mkfifo((sandbox.WorkDir() + "/../pipe.d88").c_str(), 0600), 0);
    const ArgumentCase cases[] = {
        {"missing file", {"missing.d88"}}, {"missing file, disk number", {"missing.d88", "1"}},
        {"directory", {"folder.d88"}},     {"directory, disk number", {"folder.d88", "2"}},
        {"named pipe", {"../pipe.d88"}},   {"character device", {"/dev/zero"}},
    };
    for (const ArgumentCase& testCase : cases) {
        SCOPED_TRACE(testCase.what);
        ExpectRun(sandbox.Run(testCase.arguments), "", MessageText(CannotOpenFileMessage), 1);
        ExpectDirectoryHolds(sandbox.WorkDir(), {}, {"folder.d88"});
    }
}

TEST(CommandLine, FileOfNoImageGivesNoOutput)
{
    const Bytes files[] = {{}, PatternBytes(687, 1)};
    for (const Bytes& file : files) {
        ToolSandbox sandbox;
        const std::string image = sandbox.AddImage(file);
        for (const char* diskNumber : {"", "1", "2"}) {
            SCOPED_TRACE(std::to_string(file.size()) + " bytes, disk number \"" + diskNumber +
                         "\"");
            std::vector<std::string> arguments = {image};
            if (diskNumber[0] != '\0') {
                arguments.emplace_back(diskNumber);
            }
            ExpectRun(sandbox.Run(arguments), "", "", 0);
            ExpectDirectoryHolds(sandbox.WorkDir(), {});
        }
    }
}

// Images past the 64th are not read; without a disk number the tool says so.
TEST(CommandLine, ImagesPastTheSixtyFourthAreReported)
{
    const D88ImageBuilder diskA = MakeDiskA();
    const Bytes empty = D88ImageBuilder().Build();
    const auto fileOf = [&](std::size_t emptyImages, bool diskBLast) {
        std::vector<Bytes> images = {diskA.Build()};
        images.insert(images.end(), emptyImages, empty);
        if (diskBLast) {
            images.push_back(MakeDiskB().Build());
        }
        return Concat(images);
    };
    std::string unsupported63;
    for (int i = 0; i < 63; ++i) {
        unsupported63 += MessageText(UnsupportedImageMessage);
    }
    const struct {
        const char* what;
        Bytes file;
        const char* diskNumber;
        std::string err;
        int exitStatus;
    } cases[] = {
        {"64 images", fileOf(63, false), nullptr, unsupported63, 0},
        {"65 images", fileOf(63, true), nullptr,
         unsupported63 + MessageText(ImagesPastLimitMessage), 1},
        {"65 images, disk number", fileOf(63, true), "1", "", 0},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.what);
        ToolSandbox sandbox;
        std::vector<std::string> arguments = {sandbox.AddImage(testCase.file)};
        if (testCase.diskNumber != nullptr) {
            arguments.emplace_back(testCase.diskNumber);
        }
        ExpectRun(sandbox.Run(arguments), DiskAOutput(), testCase.err, testCase.exitStatus);
        ExpectDirectoryHolds(sandbox.WorkDir(), DiskAFiles(diskA));
    }
}

// Lines leave in the order they are made, whatever the streams lead to, and
// a standard output that cannot be written fails the run, not the files.
TEST(CommandLine, ConsoleStreamsKeepTheirOrderAndTheirFailures)
{
    const D88ImageBuilder diskA = MakeDiskA();
    ToolSandbox sandbox;
    const std::string image = sandbox.AddImage(Concat({D88ImageBuilder().Build(), diskA.Build()}));

    RunOptions merged;
    merged.mergeStreams = true;
    ExpectRun(sandbox.Run({image}, merged), MessageText(UnsupportedImageMessage) + DiskAOutput(),
              "", 0);
    RunOptions full;
    full.stdoutPath = "/dev/full";
    ExpectRun(sandbox.Run({image}, full), "", MessageText(UnsupportedImageMessage), 1);
    ExpectDirectoryHolds(sandbox.WorkDir(), DiskAFiles(diskA));
}

// The smallest image, a header without tracks, is neither disk; forced to be
// one, it has none of that disk's regions.
TEST(CommandLine, BareHeaderIsOneImage)
{
    ToolSandbox sandbox;
    const std::string image = sandbox.AddImage(D88ImageBuilder().Build());
    ExpectRun(sandbox.Run({image}), "", MessageText(UnsupportedImageMessage), 0);
    ExpectRun(sandbox.Run({image, "1"}), MessageText(RecognisedFormat, "A"),
              MessageText(CannotReadSectorsFormat, Bios98.name), 1);
    std::string cannotRead;
    for (const ExpectedRegion& region : MusicRegions) {
        cannotRead += MessageText(CannotReadSectorsFormat, region.name);
    }
    ExpectRun(sandbox.Run({image, "2"}), MessageText(RecognisedFormat, "B"), cannotRead, 1);
    ExpectDirectoryHolds(sandbox.WorkDir(), {});
}

TEST(Recognition, DiskBThenDiskAAreBothExtractedInFileOrder)
{
    const D88ImageBuilder diskB = MakeDiskB();
    const D88ImageBuilder diskA = WithOtherContents(MakeDiskA(), 0x5A);
    ToolSandbox sandbox;
    const std::string image = sandbox.AddImage(Concat({diskB.Build(), diskA.Build()}));

    ExpectRun(sandbox.Run({image}), DiskBOutput() + DiskAOutput(), "", 0);
    FileSet files = DiskBFiles(diskB);
    files.merge(DiskAFiles(diskA));
    ExpectDirectoryHolds(sandbox.WorkDir(), files);
}

// A disk number takes the first image as that disk without looking at its
// signature, and leaves every later image alone.
TEST(Recognition, DiskNumberForcesTheFirstImageOnly)
{
    const D88ImageBuilder diskA = MakeDiskA();
    const D88ImageBuilder diskB = MakeDiskB();
    const D88ImageBuilder blank = WithOtherContents(MakeBlankTitleDisk(), 0xA5);
    const D88ImageBuilder otherA = WithOtherContents(MakeDiskA(), 0x3C);
    const D88ImageBuilder otherB = WithOtherContents(MakeDiskB(), 0x3C);
    struct Case {
        const char* what;
        std::vector<const D88ImageBuilder*> images;
        std::string diskNumber;
        bool asDiskA;
    };
    const Case cases[] = {
        {"2 on disk A, then disk B", {&diskA, &otherB}, "2", false},
        {"1 on disk B, then disk A", {&diskB, &otherA}, "1", true},
        {"1 on a disk without signature", {&blank, &diskA}, "1", true},
        {"only the first character counts: 12", {&blank, &diskB}, "12", true},
        {"only the first character counts: 21", {&blank}, "21", false},
    };
    for (const Case& testCase : cases) {
        SCOPED_TRACE(testCase.what);
        ToolSandbox sandbox;
        const std::string image = sandbox.AddImage(BuildEndToEnd(testCase.images));
        const D88ImageBuilder& first = *testCase.images.front();

        const ToolResult result = sandbox.Run({image, testCase.diskNumber});
        ExpectRun(result, testCase.asDiskA ? DiskAOutput() : DiskBOutput(), "", 0);
        ExpectDirectoryHolds(sandbox.WorkDir(),
                             testCase.asDiskA ? DiskAFiles(first) : DiskBFiles(first));
    }
}

// Only a signature sector read in full can make an image disk A or disk B:
// neither what an earlier read left in the tool's buffer nor the first bytes
// of a sector that is too short.
TEST(Recognition, SignatureMustBeReadInFull)
{
    // Disk A whose BIOS98 region starts with the disk A text, so that the
    // extraction leaves it where the next image's signature is compared.
    D88ImageBuilder diskAEndingOnText = MakeDiskA();
    PutText(diskAEndingOnText, 100, 1, 2, DiskASignature.text, 24);
    // Disk B whose last region starts with the disk B text at its place.
    D88ImageBuilder diskBEndingOnText = MakeDiskB();
    PutText(diskBEndingOnText, 15, 6, 539, DiskBSignature.text, 26);

    D88ImageBuilder withoutDiskASector = MakeBlankTitleDisk();
    withoutDiskASector.RemoveTrack(120);
    D88ImageBuilder withoutSignatureSectors = MakeBlankTitleDisk();
    withoutSignatureSectors.RemoveTrack(120).RemoveTrack(100);
    // The signature lies in the part that is recorded.
    D88ImageBuilder shortDiskASector = MakeDiskA();
    ShortenSector(shortDiskASector, 120, 1, 512);
    D88ImageBuilder shortDiskBSector = MakeDiskB();
    ShortenSector(shortDiskBSector, 100, 2, 600);

    struct Case {
        const char* what;
        std::vector<const D88ImageBuilder*> images;
        std::string out;
        std::string err;
        FileSet files;
    };
    const Case cases[] = {
        {"disk A sector missing after disk A",
         {&diskAEndingOnText, &withoutDiskASector},
         DiskAOutput(),
         MessageText(UnsupportedImageMessage),
         DiskAFiles(diskAEndingOnText)},
        {"both sectors missing after disk B",
         {&diskBEndingOnText, &withoutSignatureSectors},
         DiskBOutput(),
         MessageText(UnsupportedImageMessage),
         DiskBFiles(diskBEndingOnText)},
        {"disk A sector too short",
         {&shortDiskASector},
         "",
         MessageText(UnsupportedImageMessage),
         {}},
        {"disk B sector too short",
         {&shortDiskBSector},
         "",
         MessageText(UnsupportedImageMessage),
         {}},
    };
    for (const Case& testCase : cases) {
        SCOPED_TRACE(testCase.what);
        ToolSandbox sandbox;
        const std::string image = sandbox.AddImage(BuildEndToEnd(testCase.images));

        ExpectRun(sandbox.Run({image}), testCase.out, testCase.err, 0);
        ExpectDirectoryHolds(sandbox.WorkDir(), testCase.files);
    }
}

// The image count of a D88 file, walked from the disk sizes of its headers.
int CountImages(const Bytes& file)
{
    constexpr int MaxImages = 64;
    std::size_t offset = 0;
    int count = 0;
    while (count < MaxImages && offset <= file.size() &&
           file.size() - offset >= d88::ImageHeaderSize) {
        offset += DecodeLe32(file.data() + offset + d88::DiskSizeField);
        ++count;
    }
    return count;
}

TEST(Recognition, RealDiskFilesAreUnsupported)
{
    namespace fs = std::filesystem;
    const fs::path corpus = D88CUT_CORPUS_DIR;
    if (!fs::is_directory(corpus)) {
        GTEST_SKIP() << "the folder of real D88 files is missing: " << corpus;
    }
    int filesRun = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(corpus)) {
        const std::string extension = entry.path().extension().string();
        if (extension != ".d88" && extension != ".d77") {
            continue;
        }
        SCOPED_TRACE(entry.path().filename().string());
        const int images = CountImages(ReadBytesFromFile(entry.path().string()));
        ASSERT_GE(images, 1);
        std::string err;
        for (int i = 0; i < images; ++i) {
            err += MessageText(UnsupportedImageMessage);
        }
        ToolSandbox sandbox;
        ExpectRun(sandbox.Run({fs::absolute(entry.path()).string()}), "", err, 0);
        ExpectDirectoryHolds(sandbox.WorkDir(), {});
        ++filesRun;
    }
    EXPECT_GT(filesRun, 0) << "no .d88 or .d77 file in " << corpus;
}

}  // namespace
