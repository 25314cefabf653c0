// The reader on real D88-family files, read where they lie. These files hold
// one image each; one has a short last track and one was written with
// 15-byte sector headers, which a reader of 16-byte headers walks as junk.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "D88File.h"

namespace {

class CorpusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::filesystem::is_directory(D88CUT_CORPUS_DIR)) {
            GTEST_SKIP() << "no corpus of real files at " << D88CUT_CORPUS_DIR;
        }
    }

    static std::string PathOf(const char* name)
    {
        return (std::filesystem::path(D88CUT_CORPUS_DIR) / name).string();
    }

    // Opens corpus file `name` and selects its single image.
    void OpenCorpusFile(const char* name)
    {
        ASSERT_TRUE(reader_.Open(PathOf(name).c_str()));
        ASSERT_EQ(reader_.GetImageCount(), 1);
        ASSERT_TRUE(reader_.SelectImage(0));
    }

    D88File reader_;
};

using Id = std::array<std::uint8_t, 4>;

// The IDs a track lists, in a destination large enough for every 16-byte
// header the file could hold, so only the walk itself can end the listing.
std::vector<Id> ListIds(D88File& reader, std::int32_t trackIndex, std::uintmax_t fileSize)
{
    const auto capacity = static_cast<std::int32_t>(fileSize / 16 + 1);
    std::vector<Id> ids(static_cast<std::size_t>(capacity));
    const std::int32_t stored = reader.ReadSectorIds(trackIndex, ids[0].data(), capacity * 4);
    EXPECT_EQ(stored % 4, 0);
    EXPECT_LT(stored, capacity * 4) << "track " << trackIndex << " filled the destination";
    ids.resize(static_cast<std::size_t>(stored / 4));
    return ids;
}

struct CorpusDisk {
    const char* name;
    bool clean;
    std::int32_t recordedTracks;
    std::size_t sectorsPerTrack;
    std::int32_t sectorSize;
};

const CorpusDisk CorpusDisks[] = {
    {"fm7-demo2019-2d.d77", true, 80, 16, 256},  {"towns-fputest-2hd.d77", true, 154, 8, 1024},
    {"x1-blank-2d.d88", true, 80, 16, 256},      {"x1-hubasic-2d.d88", true, 80, 16, 256},
    {"x1-truncated-2d.d88", false, 80, 16, 256}, {"pc98-sample-15bhdr.d88", false, 154, 8, 1024},
};

TEST_F(CorpusTest, EveryTrackIsListedAndEveryListedSectorRead)
{
    constexpr std::int32_t MaxBytes = 16384;
    std::vector<std::uint8_t> data(MaxBytes);
    for (const CorpusDisk& disk : CorpusDisks) {
        SCOPED_TRACE(disk.name);
        ASSERT_NO_FATAL_FAILURE(OpenCorpusFile(disk.name));
        const std::uintmax_t fileSize = std::filesystem::file_size(PathOf(disk.name));
        std::int32_t tracksWithSectors = 0;
        for (std::int32_t track = 0; track < D88File::TrackCount; ++track) {
            const std::vector<Id> ids = ListIds(reader_, track, fileSize);
            tracksWithSectors += ids.empty() ? 0 : 1;
            if (disk.clean) {
                EXPECT_TRUE(ids.empty() || ids.size() == disk.sectorsPerTrack) << track;
            }
            // Junk headers repeat IDs: each distinct one is read once.
            for (const Id& sectorId : std::set<Id>(ids.begin(), ids.end())) {
                const std::int32_t got =
                    reader_.ReadSector(track, sectorId[0], sectorId[1], sectorId[2], sectorId[3],
                                       data.data(), MaxBytes);
                EXPECT_GE(got, 0);
                EXPECT_LE(got, MaxBytes);
                if (disk.clean) {
                    EXPECT_EQ(got, disk.sectorSize)
                        << "track " << track << " R " << int{sectorId[2]};
                }
            }
        }
        EXPECT_EQ(tracksWithSectors, disk.recordedTracks);
    }
}

TEST_F(CorpusTest, RunsAcrossTheTracksOfATitleSizedDiskMatchSingleReads)
{
    // 77 cylinders x 2 heads x 8 sectors of 1,024 bytes, like the title's.
    constexpr std::int32_t TrackCount = 154;
    constexpr std::int32_t TrackBytes = 8 * 1024;
    ASSERT_NO_FATAL_FAILURE(OpenCorpusFile("towns-fputest-2hd.d77"));
    std::vector<std::uint8_t> run(static_cast<std::size_t>(TrackCount) * TrackBytes);
    ASSERT_EQ(reader_.ReadSectors(0, 0, 0, 1, 3, {1, 8}, run.data(), TrackCount * TrackBytes),
              TrackCount * TrackBytes);
    std::vector<std::uint8_t> sector(1024);
    for (std::int32_t track = 0; track < TrackCount; ++track) {
        for (std::int32_t r = 1; r <= 8; ++r) {
            ASSERT_EQ(reader_.ReadSector(track, track / 2, track % 2, r, 3, sector.data(), 1024),
                      1024);
            const auto inRun = run.begin() + (track * TrackBytes + (r - 1) * 1024);
            ASSERT_TRUE(std::equal(sector.begin(), sector.end(), inRun))
                << "track " << track << " R " << r;
        }
    }
}

TEST_F(CorpusTest, ShortLastTrackListsTheOneSectorItHolds)
{
    ASSERT_NO_FATAL_FAILURE(OpenCorpusFile("x1-truncated-2d.d88"));
    std::array<std::uint8_t, 64> ids{};
    ASSERT_EQ(reader_.ReadSectorIds(79, ids.data(), 64), 4);
    EXPECT_EQ(ids[0], 39);
    EXPECT_EQ(ids[1], 1);
    EXPECT_EQ(ids[2], 1);
    std::vector<std::uint8_t> data(256);
    EXPECT_EQ(reader_.ReadSector(79, 39, 1, 1, 1, data.data(), 256), 256);
    EXPECT_EQ(reader_.ReadSector(79, 39, 1, 2, 1, data.data(), 256), 0);
}

TEST_F(CorpusTest, NameFieldWithoutNulGivesSixteenCharacters)
{
    ASSERT_NO_FATAL_FAILURE(OpenCorpusFile("x1-hubasic-2d.d88"));
    EXPECT_STREQ(reader_.GetDiskName(), "by_github_ORYZAP");
}

TEST_F(CorpusTest, FifteenByteHeadersAreWalkedToAnEnd)
{
    // Read with 16-byte headers, each track's second header is misread, and
    // its sector count is 0: the lookup ends there, and so does the listing,
    // which once ran on through the rest of the file as junk.
    ASSERT_NO_FATAL_FAILURE(OpenCorpusFile("pc98-sample-15bhdr.d88"));
    const std::uintmax_t fileSize = std::filesystem::file_size(PathOf("pc98-sample-15bhdr.d88"));
    std::size_t longest = 0;
    std::vector<std::uint8_t> data(1024);
    for (std::int32_t track = 0; track < 154; ++track) {
        longest = std::max(longest, ListIds(reader_, track, fileSize).size());
        // C 256 matches no recorded byte: the walk goes until something ends it.
        EXPECT_EQ(reader_.ReadSector(track, 256, 0, 1, 3, data.data(), 1024), 0);
    }
    EXPECT_EQ(longest, 1U) << "a listing went past where the lookup stops";
}

}  // namespace
