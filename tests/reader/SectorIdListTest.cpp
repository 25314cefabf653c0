// Listing the IDs of the sectors recorded in a track.
#include <algorithm>
#include <climits>
#include <vector>

#include "ReaderTest.h"

namespace {

using SectorIdListTest = ReaderTest;

TEST_F(SectorIdListTest, ListsEveryIdInRecordedOrder)
{
    const Bytes image = D88ImageBuilder()
                            .Track(7, {MakeSector(3, 1, 2, 1, 4, PatternBytes(256, 1)),
                                       MakeSector(0, 0, 1, 3, 4, PatternBytes(1024, 2)),
                                       MakeSector(0xFF, 0xFF, 0xFF, 0xFF, 4, {}),
                                       MakeSector(3, 0, 9, 0, 4, PatternBytes(128, 3))})
                            .Track(8, {MakeSector(4, 0, 1, 0, 1, PatternBytes(128, 4))})
                            .Build();
    ASSERT_TRUE(SelectBytes(image));
    Bytes ids(64, Guard);
    EXPECT_EQ(reader_.ReadSectorIds(7, ids.data(), 64), 16);
    const Bytes expected = {3, 1, 2, 1, 0, 0, 1, 3, 0xFF, 0xFF, 0xFF, 0xFF, 3, 0, 9, 0};
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), ids.begin()));
    EXPECT_TRUE(AllGuard(ids.begin() + 16, ids.end()));
}

TEST_F(SectorIdListTest, StoresOnlyWholeEntriesThatFit)
{
    ASSERT_TRUE(SelectBytes(D88ImageBuilder().Track(0, CountedTrack({4, 4, 4, 4})).Build()));
    const struct {
        std::int32_t destBytes;
        std::int32_t stored;
    } cases[] = {{0, 0},   {3, 0},   {4, 4},    {6, 4},  {8, 8},
                 {15, 12}, {16, 16}, {100, 16}, {-1, 0}, {INT_MIN, 0}};
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.destBytes);
        Bytes ids(100, Guard);
        EXPECT_EQ(reader_.ReadSectorIds(0, ids.data(), testCase.destBytes), testCase.stored);
        for (std::int32_t i = 0; i < testCase.stored; i += 4) {
            EXPECT_EQ(ids[static_cast<std::size_t>(i) + 2], i / 4 + 1) << "R of entry " << i / 4;
        }
        EXPECT_TRUE(AllGuard(ids.begin() + testCase.stored, ids.end()));
    }
    EXPECT_EQ(reader_.ReadSectorIds(0, nullptr, 16), 0);
}

TEST_F(SectorIdListTest, EachHeadersSectorCountEndsOrLeavesTheListing)
{
    // The track is the last thing in the file, so a listing that no count
    // ends stops at the end of the file.
    const struct {
        const char* what;
        std::vector<std::uint16_t> counts;
        std::int32_t listed;
    } cases[] = {
        {"count 0 ends the walk before its header, as it ends a lookup", {0, 3, 3}, 0},
        {"count 0 after a header", {3, 0, 3}, 1},
        {"a later header's count ends it", {3, 2, 3}, 2},
        {"a later header's count lets it go on", {2, 5, 5}, 3},
        {"a count already passed ends nothing", {4, 4, 4, 1, 4}, 5},
        {"count 1", {1, 1, 1}, 1},
        {"fewer sectors recorded than declared", {16, 16}, 2},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.what);
        ASSERT_TRUE(SelectBytes(D88ImageBuilder().Track(0, CountedTrack(testCase.counts)).Build()));
        Bytes ids(64);
        const std::int32_t listed = reader_.ReadSectorIds(0, ids.data(), 64);
        EXPECT_EQ(listed, 4 * testCase.listed);
        // Every sector listed is one a lookup reaches.
        Bytes data(1024);
        for (std::int32_t at = 0; at < listed; at += 4) {
            const auto* sectorId = &ids[static_cast<std::size_t>(at)];
            EXPECT_GT(reader_.ReadSector(0, sectorId[0], sectorId[1], sectorId[2], sectorId[3],
                                         data.data(), 1024),
                      0)
                << "sector R " << int{sectorId[2]};
        }
    }
}

}  // namespace
