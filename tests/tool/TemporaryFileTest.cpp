// Temporary output files are created only where nothing is, never through a
// link planted at the name they would take.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "D88ImageBuilder.h"
#include "ScratchDirectory.h"
#include "TemporaryFile.h"

namespace {

namespace fs = std::filesystem;

// Hands out `names` in turn, then repeats the last one.
TemporaryFile::NameSuffixes Suffixes(std::vector<std::string> names)
{
    return [names = std::move(names), next = std::size_t{0}]() mutable {
        return names[std::min(next++, names.size() - 1)];
    };
}

TEST(TemporaryFile, NeverFollowsOrReplacesWhatIsAtItsName)
{
    enum class Planted { LinkToFile, DanglingLink, File };
    const struct {
        const char* what;
        Planted planted;
        std::vector<std::string> suffixes;
        bool created;
    } cases[] = {
        {"link to a file at the first name", Planted::LinkToFile, {"aaaaaa", "bbbbbb"}, true},
        {"dangling link at the first name", Planted::DanglingLink, {"aaaaaa", "bbbbbb"}, true},
        {"every name taken", Planted::File, {"aaaaaa"}, false},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.what);
        const ScratchDirectory scratch("d88cut-temporary-");
        const fs::path& dir = scratch.Path();
        const Bytes victim = {'v', 'i', 'c', 't', 'i', 'm'};
        ASSERT_TRUE(WriteBytesToFile((dir / "victim").string(), victim));
        const fs::path first = dir / "BIOS98.aaaaaa";
        switch (testCase.planted) {
        case Planted::LinkToFile:
            fs::create_symlink(dir / "victim", first);
            break;
        case Planted::DanglingLink:
            fs::create_symlink(dir / "nowhere", first);
            break;
        case Planted::File:
            ASSERT_TRUE(WriteBytesToFile(first.string(), victim));
            break;
        }

        TemporaryFile temporary;
        ASSERT_EQ(temporary.Create(dir / "BIOS98", Suffixes(testCase.suffixes)), testCase.created);
        if (testCase.created) {
            EXPECT_EQ(temporary.Path(), dir / "BIOS98.bbbbbb");
            const unsigned char data[] = {'n', 'e', 'w'};
            ASSERT_TRUE(temporary.Write(data, sizeof data));
            ASSERT_TRUE(temporary.Commit());
            EXPECT_EQ(ReadBytesFromFile((dir / "BIOS98").string()), Bytes(data, data + 3));
        }
        EXPECT_FALSE(fs::exists(dir / "BIOS98.bbbbbb"));
        EXPECT_FALSE(fs::exists(dir / "nowhere"));
        EXPECT_EQ(ReadBytesFromFile((dir / "victim").string()), victim);
        EXPECT_TRUE(fs::exists(fs::symlink_status(first)));
    }
}

}  // namespace
