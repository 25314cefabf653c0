// The extraction's rules for what a sink keeps, seen through the memory sink
// the web page uses: a region read only in part is kept only where no file of
// its name is, and a whole region replaces whatever was kept.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "D88File.h"
#include "ExtractRegion.h"
#include "MemorySink.h"
#include "TitleDisks.h"

namespace {

// MUS00: sectors 4 and 5 of track 11.
const DiskRegion& Region = MusicRegionTable[0];

enum class Disk { Whole, SecondSectorGone, FirstSectorGone };

D88ImageBuilder Build(Disk disk)
{
    D88ImageBuilder builder = MakeDiskB();
    if (disk == Disk::SecondSectorGone) {
        builder.RemoveSector(Region.trackIndex, static_cast<std::uint8_t>(Region.r + 1));
    } else if (disk == Disk::FirstSectorGone) {
        builder.RemoveSector(Region.trackIndex, static_cast<std::uint8_t>(Region.r));
    }
    return builder;
}

bool Extract(Disk disk, MemorySink& sink)
{
    D88File file;
    file.Open(std::make_unique<MemoryByteSource>(Build(disk).Build()));
    file.SelectImage(0);
    RecordedConsole console;
    return ExtractRegion(file, Region, sink, console);
}

struct Case {
    const char* what;
    std::vector<Disk> runs;  // one extraction each, into the same sink
    bool lastResult;
    bool kept;
    bool keptComplete;
};

std::vector<Case> Cases()
{
    return {
        {"whole region", {Disk::Whole}, true, true, true},
        {"part read, nothing held", {Disk::SecondSectorGone}, false, true, false},
        {"part read, whole held", {Disk::Whole, Disk::SecondSectorGone}, false, true, true},
        {"part read, part held",
         {Disk::SecondSectorGone, Disk::SecondSectorGone},
         false,
         true,
         false},
        {"whole replaces part", {Disk::SecondSectorGone, Disk::Whole}, true, true, true},
        {"first sector gone", {Disk::FirstSectorGone}, false, false, false},
    };
}

TEST(MemorySinkTest, KeepsWhatTheToolWouldWrite)
{
    const Bytes first =
        MakeDiskB().SectorData(Region.trackIndex, static_cast<std::uint8_t>(Region.r));
    const Bytes second =
        MakeDiskB().SectorData(Region.trackIndex, static_cast<std::uint8_t>(Region.r + 1));
    for (const Case& test : Cases()) {
        SCOPED_TRACE(test.what);
        MemorySink sink;
        bool result = false;
        for (const Disk disk : test.runs) {
            result = Extract(disk, sink);
        }
        EXPECT_EQ(result, test.lastResult);
        ASSERT_EQ(sink.Holds(Region.name), test.kept);
        if (!test.kept) {
            EXPECT_TRUE(sink.Files().empty());
            continue;
        }
        const KeptFile& kept = sink.Files().at(Region.name);
        EXPECT_EQ(kept.complete, test.keptComplete);
        Bytes expected = first;
        expected.insert(expected.end(), second.begin(), second.end());
        if (!test.keptComplete) {
            // The unread sector is zeros.
            std::fill(expected.begin() + static_cast<std::ptrdiff_t>(first.size()), expected.end(),
                      0);
        }
        EXPECT_EQ(kept.bytes, expected);
    }
}

}  // namespace
