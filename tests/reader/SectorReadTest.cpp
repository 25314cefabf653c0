// Finding one sector by its ID in a track of the current image and reading
// its data.
#include <algorithm>
#include <array>
#include <climits>
#include <string>
#include <vector>

#include "ReaderTest.h"

namespace {

using SectorReadTest = ReaderTest;

TEST_F(SectorReadTest, FindsEachSectorByItsIdWhereverItLies)
{
    // IDs need not follow the track index nor any order, and the recorded
    // data size need not be the nominal size of N.
    const std::vector<BuiltSector> sectors = {
        MakeSector(0, 0, 3, 3, 5, PatternBytes(1024, 3)),
        MakeSector(9, 1, 1, 3, 5, PatternBytes(1024, 1)),
        MakeSector(0, 0, 0xFF, 2, 5, PatternBytes(512, 255)),
        MakeSector(0, 0, 4, 3, 5, PatternBytes(300, 4)),
        MakeSector(0, 0, 1, 1, 5, PatternBytes(256, 11)),
    };
    ASSERT_TRUE(SelectBytes(D88ImageBuilder().Track(5, sectors).Build()));
    for (const BuiltSector& sector : sectors) {
        SCOPED_TRACE(int{sector.r});
        Bytes dest(2048, Guard);
        const auto size = static_cast<std::int32_t>(sector.data.size());
        EXPECT_EQ(reader_.ReadSector(5, sector.c, sector.h, sector.r, sector.n, dest.data(), 2048),
                  size);
        EXPECT_TRUE(std::equal(sector.data.begin(), sector.data.end(), dest.begin()));
        EXPECT_TRUE(AllGuard(dest.begin() + size, dest.end()));
    }
}

TEST_F(SectorReadTest, WalkMatchesAllFourIdBytesWithinTheTrackItsHeadersDeclare)
{
    // Each header's sector count is taken in turn: the walk ends after the
    // header whose count equals the number of headers walked so far.
    using Id = std::array<std::int32_t, 4>;
    const struct {
        const char* what;
        std::vector<BuiltSector> track;
        Id id;
        bool found;
    } cases[] = {
        {"first sector", {SmallSector(1, 1)}, {0, 0, 1, 0}, true},
        {"C differs", {SmallSector(1, 1)}, {1, 0, 1, 0}, false},
        {"H differs", {SmallSector(1, 1)}, {0, 1, 1, 0}, false},
        {"R differs", {SmallSector(1, 1)}, {0, 0, 2, 0}, false},
        {"N differs", {SmallSector(1, 1)}, {0, 0, 1, 1}, false},
        {"R 257 is not R 1", {SmallSector(1, 1)}, {0, 0, 257, 0}, false},
        {"R -1 is not R 255", {SmallSector(255, 1)}, {0, 0, -1, 0}, false},
        {"R 255", {SmallSector(255, 1)}, {0, 0, 255, 0}, true},
        {"count 0 in the first header", {SmallSector(1, 0)}, {0, 0, 1, 0}, false},
        {"count 0 in a later header", CountedTrack({3, 0, 3}), {0, 0, 3, 0}, false},
        {"past the sector count", CountedTrack({2, 2, 2}), {0, 0, 3, 0}, false},
        {"a later count ends the walk", CountedTrack({3, 2, 3}), {0, 0, 3, 0}, false},
        {"a later count lets the walk go on", CountedTrack({2, 5, 5, 5}), {0, 0, 4, 0}, true},
        {"a count already passed ends nothing", CountedTrack({4, 4, 4, 1, 4}), {0, 0, 5, 0}, true},
        {"the file ends before the count", CountedTrack({8, 8}), {0, 0, 3, 0}, false},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.what);
        ASSERT_TRUE(SelectBytes(D88ImageBuilder().Track(0, testCase.track).Build()));
        const auto [c, h, r, n] = testCase.id;
        Bytes dest(128);
        EXPECT_EQ(reader_.ReadSector(0, c, h, r, n, dest.data(), 128), testCase.found ? 128 : 0);
        if (testCase.found) {
            EXPECT_EQ(dest, PatternBytes(128, static_cast<std::uint32_t>(r)));
        }
    }
}

// The ID of sector `step` (0..99) of the rounds of
// LongTracksGiveTheFirstSectorOfEachId: each byte tells some IDs apart, and
// pairs that differ only in N come in falling order.
std::array<std::int32_t, 4> RoundId(int step)
{
    return {step / 20, step / 10 % 2, 1 + step / 2 % 5, 1 - step % 2};
}

// A track of more sectors than any real one is looked up through its IDs,
// sorted, which must give what the walk gives: the first sector of each ID.
TEST_F(SectorReadTest, LongTracksGiveTheFirstSectorOfEachId)
{
    constexpr int Count = 300;
    std::vector<BuiltSector> track;
    for (int place = 0; place < Count; ++place) {
        // A run of one ID (as empty headers come), then two rounds of 100
        // IDs, then one ID of all 0xFF.
        std::array<std::int32_t, 4> sectorId = {0, 0, 0x80, 0};
        if (place == Count - 1) {
            sectorId = {0xFF, 0xFF, 0xFF, 0xFF};
        } else if (place >= 100) {
            sectorId = RoundId(place % 100);
        }
        const auto [c, h, r, n] = sectorId;
        track.push_back(MakeSector(static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(h),
                                   static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(n),
                                   Count, PatternBytes(16, static_cast<std::uint32_t>(place))));
    }
    ASSERT_TRUE(SelectBytes(D88ImageBuilder().Track(0, track).Build()));
    const struct {
        std::array<std::int32_t, 4> id;
        int firstPlace;  // -1: no sector
    } cases[] = {
        // clang-format off
        {{0, 0, 0x80, 0}, 0},
        {RoundId(0), 100},
        {RoundId(32), 132},
        {RoundId(57), 157},
        {RoundId(99), 199},
        {{0xFF, 0xFF, 0xFF, 0xFF}, Count - 1},
        {{5, 0, 1, 0}, -1},
        {{0, 0, 6, 0}, -1},
        {{0, 0, 1, 2}, -1},
        {{0, 0, 257, 0}, -1},
        {{0, 0, 1 - 256, 0}, -1},
        {{256, 0, 1, 0}, -1},
        {{0, 0, 1, -1}, -1},
        // clang-format on
    };
    for (const auto& testCase : cases) {
        const auto [c, h, r, n] = testCase.id;
        SCOPED_TRACE(std::to_string(c) + " " + std::to_string(h) + " " + std::to_string(r) + " " +
                     std::to_string(n));
        Bytes dest(16);
        EXPECT_EQ(reader_.ReadSector(0, c, h, r, n, dest.data(), 16),
                  testCase.firstPlace < 0 ? 0 : 16);
        if (testCase.firstPlace >= 0) {
            EXPECT_EQ(dest, PatternBytes(16, static_cast<std::uint32_t>(testCase.firstPlace)));
        }
    }
}

TEST_F(SectorReadTest, StoresNoMoreThanMaxBytes)
{
    const Bytes data = PatternBytes(1024, 1);
    ASSERT_TRUE(SelectBytes(D88ImageBuilder().Track(0, {MakeSector(0, 0, 1, 3, 1, data)}).Build()));
    for (const std::int32_t maxBytes : {0, 1, 476, 1023, 1024, 4096}) {
        SCOPED_TRACE(maxBytes);
        Bytes dest(4100, Guard);
        const std::int32_t expected = std::min(maxBytes, 1024);
        EXPECT_EQ(reader_.ReadSector(0, 0, 0, 1, 3, dest.data(), maxBytes), expected);
        EXPECT_TRUE(std::equal(dest.begin(), dest.begin() + expected, data.begin()));
        EXPECT_TRUE(AllGuard(dest.begin() + expected, dest.end()));
    }
    for (const std::int32_t maxBytes : {-1, -1024, INT_MIN}) {
        SCOPED_TRACE(maxBytes);
        Bytes dest(1024, Guard);
        EXPECT_EQ(reader_.ReadSector(0, 0, 0, 1, 3, dest.data(), maxBytes), 0);
        EXPECT_TRUE(AllGuard(dest.begin(), dest.end()));
    }
    EXPECT_EQ(reader_.ReadSector(0, 0, 0, 1, 3, nullptr, 1024), 0);
}

TEST_F(SectorReadTest, FileEndingInsideATrackGivesWhatWasStored)
{
    const Bytes first = PatternBytes(1024, 1);
    const Bytes second = PatternBytes(1024, 2);
    const Bytes image =
        D88ImageBuilder()
            .Track(0, {MakeSector(0, 0, 1, 3, 2, first), MakeSector(0, 0, 2, 3, 2, second)})
            .Build();
    const struct {
        const char* what;
        std::size_t cutBytes;
        std::int32_t secondStored;
    } cases[] = {{"inside the data", 1024 - 300, 300},
                 {"at the start of the data", 1024, 0},
                 {"inside the header", 1024 + 8, 0}};
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.what);
        ASSERT_TRUE(SelectBytes(
            Bytes(image.begin(), image.end() - static_cast<std::ptrdiff_t>(testCase.cutBytes))));
        Bytes dest(1024, Guard);
        EXPECT_EQ(reader_.ReadSector(0, 0, 0, 2, 3, dest.data(), 1024), testCase.secondStored);
        EXPECT_TRUE(std::equal(dest.begin(), dest.begin() + testCase.secondStored, second.begin()));
        EXPECT_TRUE(AllGuard(dest.begin() + testCase.secondStored, dest.end()));
        EXPECT_EQ(reader_.ReadSector(0, 0, 0, 1, 3, dest.data(), 1024), 1024);
        EXPECT_EQ(dest, first);
    }
}

TEST_F(SectorReadTest, TrackGuardAndWalkStayInsideTheImage)
{
    // Track 0 (at offset 688) holds sector (0, 0, 1, 0); the image is 832
    // bytes long. Refused tracks must not be read from anywhere else, such
    // as from where the last read left the file (the start of track 0), and
    // no walk reads a header or data past the image's disk size.
    const auto image = [] { return D88ImageBuilder().Track(0, {SmallSector(1, 1)}); };
    const struct {
        const char* what;
        Bytes bytes;
        std::int32_t trackIndex;
        std::int32_t sectorBytes;  // what ReadSector stores
        std::int32_t idBytes;      // what ReadSectorIds stores
    } cases[] = {
        {"recorded track", image().Build(), 0, 128, 4},
        {"track index -1", image().Build(), -1, 0, 0},
        {"track index 164", image().Build(), 164, 0, 0},
        {"track not recorded", image().Build(), 1, 0, 0},
        {"entry equal to the disk size: no sector there", image().DiskSize(688).Build(), 0, 0, 0},
        {"entry past the disk size", image().DiskSize(687).Build(), 0, 0, 0},
        {"header across the image's end", image().DiskSize(688 + 15).Build(), 0, 0, 0},
        {"data cut short by the image's end", image().DiskSize(688 + 16 + 100).Build(), 0, 100, 4},
        {"entry 0x80000000", image().TrackOffset(1, 0x80000000).Build(), 1, 0, 0},
        {"entry 0xFFFFFFFF", image().TrackOffset(1, 0xFFFFFFFF).Build(), 1, 0, 0},
        {"entry 0x80000000 inside a huge disk size",
         image().TrackOffset(1, 0x80000000).DiskSize(0xFFFFFFFF).Build(), 1, 0, 0},
        {"entry inside the disk size past the end of the file",
         image().TrackOffset(1, 5000).DiskSize(6000).Build(), 1, 0, 0},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.what);
        ASSERT_TRUE(SelectBytes(testCase.bytes));
        Bytes data(128);
        EXPECT_EQ(reader_.ReadSector(testCase.trackIndex, 0, 0, 1, 0, data.data(), 128),
                  testCase.sectorBytes);
        Bytes ids(64);
        EXPECT_EQ(reader_.ReadSectorIds(testCase.trackIndex, ids.data(), 64), testCase.idBytes);
    }
}

TEST_F(SectorReadTest, NothingIsReadWithoutACurrentImage)
{
    const Bytes image = D88ImageBuilder().Track(0, {SmallSector(1, 1)}).Build();
    Bytes data(128);
    Bytes ids(64);
    EXPECT_EQ(reader_.ReadSector(0, 0, 0, 1, 0, data.data(), 128), 0) << "never opened";
    EXPECT_EQ(reader_.ReadSectorIds(0, ids.data(), 64), 0) << "never opened";

    ASSERT_TRUE(OpenBytes(image));
    EXPECT_EQ(reader_.ReadSector(0, 0, 0, 1, 0, data.data(), 128), 0) << "none selected";
    EXPECT_EQ(reader_.ReadSectorIds(0, ids.data(), 64), 0) << "none selected";

    ASSERT_TRUE(reader_.SelectImage(0));
    ASSERT_EQ(reader_.ReadSector(0, 0, 0, 1, 0, data.data(), 128), 128);
    ASSERT_TRUE(reader_.Open(nullptr));
    EXPECT_EQ(reader_.ReadSector(0, 0, 0, 1, 0, data.data(), 128), 0) << "closed";
    EXPECT_EQ(reader_.ReadSectorIds(0, ids.data(), 64), 0) << "closed";
}

}  // namespace
