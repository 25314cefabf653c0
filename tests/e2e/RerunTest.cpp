// A rerun over the same dump finds its files already written and leaves
// them as they are: same file, same time stamps, the same messages. Every
// other file at an output's name is replaced as before.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "Expectations.h"
#include "TitleDisks.h"
#include "ToolRun.h"

namespace {

namespace fs = std::filesystem;

struct FileIdentity {
    ino_t inode = 0;
    std::int64_t modifiedNs = 0;
};

FileIdentity IdentityOf(const std::string& path)
{
    struct stat information {};
    if (lstat(path.c_str(), &information) != 0) {
        return {};
    }
    return {information.st_ino,
            std::int64_t{information.st_mtim.tv_sec} * 1000000000 + information.st_mtim.tv_nsec};
}

// What is at BIOS98 before the rerun.
enum class Before { Same, Other, LinkToSame };

TEST(Rerun, FilesAlreadyWrittenAreLeftAlone)
{
    const D88ImageBuilder diskA = MakeDiskA();
    const FileSet files = DiskAFiles(diskA);
    const struct {
        const char* what;
        Before before;
        bool leftAlone;
    } cases[] = {
        {"the same bytes", Before::Same, true},
        {"other bytes", Before::Other, false},
        {"a link to the same bytes", Before::LinkToSame, false},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.what);
        // Wine shows a program a POSIX link as the file it leads to, where
        // Windows would show the link.
        if (testCase.before == Before::LinkToSame && RunsThroughLauncher()) {
            continue;
        }
        ToolSandbox sandbox;
        const std::string image = sandbox.AddImage(diskA.Build());
        const std::string bios = sandbox.WorkDir() + "/BIOS98";
        const std::string elsewhere = sandbox.WorkDir() + "/../elsewhere";
        ExpectRun(sandbox.Run({image}), DiskAOutput(), "", 0);
        if (testCase.before == Before::Other) {
            ASSERT_TRUE(WriteBytesToFile(bios, Bytes(24576, 0x55)));
        } else if (testCase.before == Before::LinkToSame) {
            fs::rename(bios, elsewhere);
            fs::create_symlink(elsewhere, bios);
        }
        const FileIdentity before = IdentityOf(bios);
        // Time stamps of a new file would differ from these.
        usleep(20000);
        ExpectRun(sandbox.Run({image}), DiskAOutput(), "", 0);
        ExpectDirectoryHolds(sandbox.WorkDir(), files);
        const FileIdentity after = IdentityOf(bios);
        EXPECT_EQ(after.inode == before.inode && after.modifiedNs == before.modifiedNs,
                  testCase.leftAlone);
        if (testCase.before == Before::LinkToSame) {
            EXPECT_EQ(ReadBytesFromFile(elsewhere), files.at("BIOS98"));
        }
    }
}

// Within one run a name already holding an image's bytes is not checked
// again for the same bytes from a later image; other bytes still replace it.
TEST(Rerun, ImagesOfOneFileLeaveTheLastImagesBytes)
{
    const D88ImageBuilder diskA = MakeDiskA();
    const D88ImageBuilder otherA = WithOtherContents(diskA, 0x77);
    const struct {
        const char* what;
        std::vector<Bytes> images;
        const D88ImageBuilder& last;
    } cases[] = {
        {"the same disk twice", {diskA.Build(), diskA.Build()}, diskA},
        {"another disk between", {diskA.Build(), otherA.Build(), diskA.Build()}, diskA},
        {"the same disk twice, then another",
         {diskA.Build(), diskA.Build(), otherA.Build()},
         otherA},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.what);
        ToolSandbox sandbox;
        const std::string image = sandbox.AddImage(Concat(testCase.images));
        std::string out;
        for (std::size_t k = 0; k < testCase.images.size(); ++k) {
            out += DiskAOutput();
        }
        ExpectRun(sandbox.Run({image}), out, "", 0);
        ExpectDirectoryHolds(sandbox.WorkDir(), DiskAFiles(testCase.last));
    }
}

}  // namespace
