// Reading runs of consecutive sectors that pass from one track to the next.
#include <algorithm>
#include <climits>
#include <vector>

#include "ReaderTest.h"

namespace {

// Sectors 1..16: the runs read with it end inside their track, or where
// their track ends.
constexpr SectorRange WideRange = {1, 16};

using RunReadTest = ReaderTest;

// Sectors R 1..8 recording ID (c, h), each of 128 << n bytes of its own.
std::vector<BuiltSector> TrackOfIds(std::uint8_t c, std::uint8_t h, std::uint8_t n)
{
    std::vector<BuiltSector> sectors;
    for (std::uint8_t r = 1; r <= 8; ++r) {
        sectors.push_back(MakeSector(c, h, r, n, 8,
                                     PatternBytes(std::size_t{128} << n, (c * 2U + h) * 256U + r)));
    }
    return sectors;
}

// Tracks 2, 3 and 4 record cylinders 50 and 51, so the cylinder cannot be
// worked out from the track index.
D88ImageBuilder ThreeTracks(std::uint8_t n)
{
    D88ImageBuilder image;
    image.Track(2, TrackOfIds(50, 0, n))
        .Track(3, TrackOfIds(50, 1, n))
        .Track(4, TrackOfIds(51, 0, n));
    return image;
}

struct SectorPlace {
    int trackIndex;
    std::uint8_t r;
};

Bytes DataOf(const D88ImageBuilder& image, const std::vector<SectorPlace>& places)
{
    Bytes data;
    for (const SectorPlace& place : places) {
        const Bytes sector = image.SectorData(place.trackIndex, place.r);
        data.insert(data.end(), sector.begin(), sector.end());
    }
    return data;
}

TEST_F(RunReadTest, ReadsWholeSectorsThenPartOfTheLast)
{
    const D88ImageBuilder image = ThreeTracks(3);
    ASSERT_TRUE(SelectBytes(image.Build()));
    Bytes dest(4096, Guard);
    EXPECT_EQ(reader_.ReadSectors(2, 50, 0, 1, 3, WideRange, dest.data(), 1500), 1500);
    const Bytes expected = DataOf(image, {{2, 1}, {2, 2}});
    EXPECT_TRUE(std::equal(dest.begin(), dest.begin() + 1500, expected.begin()));
    EXPECT_TRUE(AllGuard(dest.begin() + 1500, dest.end()));
    EXPECT_EQ(reader_.ReadSectors(2, 50, 0, 1, 3, WideRange, dest.data(), 0), 0);
}

TEST_F(RunReadTest, PassesToTheNextTrackAfterTheLastSectorOfTheRange)
{
    // From R 8 of track 2 (C 50, H 0) on to track 3 (C 50, H 1), then from
    // its R 8 to track 4 (C 51, H 0).
    const D88ImageBuilder image = ThreeTracks(1);
    ASSERT_TRUE(SelectBytes(image.Build()));
    const Bytes expected = DataOf(
        image, {{2, 8}, {3, 1}, {3, 2}, {3, 3}, {3, 4}, {3, 5}, {3, 6}, {3, 7}, {3, 8}, {4, 1}});
    Bytes dest(expected.size());
    EXPECT_EQ(reader_.ReadSectors(2, 50, 0, 8, 1, {1, 8}, dest.data(), 2560), 2560);
    EXPECT_EQ(dest, expected);

    // A range of 3..5 ends tracks at R 5 and starts them at R 3.
    const Bytes narrow = DataOf(image, {{2, 4}, {2, 5}, {3, 3}, {3, 4}});
    dest.assign(narrow.size(), 0);
    EXPECT_EQ(reader_.ReadSectors(2, 50, 0, 4, 1, {3, 5}, dest.data(), 1024), 1024);
    EXPECT_EQ(dest, narrow);

    // A range of 1..16 seeks R 9 after R 8, and the track has none.
    EXPECT_EQ(reader_.ReadSectors(2, 50, 0, 8, 1, {1, 16}, dest.data(), 512), 256);
}

TEST_F(RunReadTest, StopsBeforeTheFirstSectorNotReadInFull)
{
    // The second sector of the run, R 2 of track 2, is spoilt in each case.
    const struct {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"missing", ThreeTracks(3).RemoveSector(2, 2).Build()},
        {"shorter data",
         [] {
             D88ImageBuilder image = ThreeTracks(3);
             image.SectorsOf(2)[1].data.resize(512);
             return image.Build();
         }()},
        {"other N",
         [] {
             D88ImageBuilder image = ThreeTracks(3);
             image.SectorsOf(2)[1].n = 2;
             return image.Build();
         }()},
        {"file ends inside its data",
         [] {
             D88ImageBuilder image;
             image.Track(2, TrackOfIds(50, 0, 3));
             Bytes bytes = image.Build();
             bytes.resize(688 + 2 * (16 + 1024) - 300);
             return bytes;
         }()},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.what);
        ASSERT_TRUE(SelectBytes(testCase.bytes));
        Bytes dest(4096);
        EXPECT_EQ(reader_.ReadSectors(2, 50, 0, 1, 3, WideRange, dest.data(), 4096), 1024);
    }
}

TEST_F(RunReadTest, SizeCodesOutsideZeroToSevenAndBadArgumentsReadNothing)
{
    // Sectors recorded with N 8 and N 255 exist, so only the size code
    // check can refuse them.
    const Bytes image = D88ImageBuilder()
                            .Track(0, {MakeSector(0, 0, 1, 8, 3, PatternBytes(256, 1)),
                                       MakeSector(0, 0, 2, 0xFF, 3, PatternBytes(256, 2)),
                                       MakeSector(0, 0, 3, 7, 3, PatternBytes(16384, 3))})
                            .Build();
    ASSERT_TRUE(SelectBytes(image));
    const struct {
        std::int32_t r, n, totalBytes;
    } refused[] = {{1, 8, 256},       {2, 255, 256}, {2, -1, 256},
                   {1, INT_MAX, 256}, {3, 7, -1},    {3, 7, INT_MIN}};
    for (const auto& testCase : refused) {
        SCOPED_TRACE(testCase.n);
        Bytes dest(256, Guard);
        EXPECT_EQ(reader_.ReadSectors(0, 0, 0, testCase.r, testCase.n, WideRange, dest.data(),
                                      testCase.totalBytes),
                  0);
        EXPECT_TRUE(AllGuard(dest.begin(), dest.end()));
    }
    EXPECT_EQ(reader_.ReadSectors(0, 0, 0, 3, 7, WideRange, nullptr, 16384), 0);
    Bytes largest(16384);
    EXPECT_EQ(reader_.ReadSectors(0, 0, 0, 3, 7, WideRange, largest.data(), 16384), 16384);
    EXPECT_EQ(largest, PatternBytes(16384, 3));
}

}  // namespace
