// Opening a D88 file, indexing the images laid end to end in it, and loading
// the header of the current image.
#include <algorithm>
#include <climits>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "ReaderTest.h"

namespace {

using ImageDirectoryTest = ReaderTest;

constexpr std::int32_t LabelSectorSize = 256;

Bytes LabelData(int label)
{
    return PatternBytes(LabelSectorSize, static_cast<std::uint32_t>(label));
}

// An image that tells which one it is: name "IMAGE<label>", media type
// <label>, and one sector (C 0, H 0, R 1, N 1) of its own bytes in track 0.
D88ImageBuilder LabelledImage(int label)
{
    D88ImageBuilder image;
    image.Name("IMAGE" + std::to_string(label))
        .MediaType(static_cast<std::uint8_t>(label))
        .Track(0, {MakeSector(0, 0, 1, 1, 1, LabelData(label))});
    return image;
}

void ExpectLabelledHeader(D88File& reader, int index, int label)
{
    ASSERT_TRUE(reader.SelectImage(index)) << "image " << index;
    EXPECT_STREQ(reader.GetDiskName(), ("IMAGE" + std::to_string(label)).c_str());
    EXPECT_EQ(reader.GetMediaType(), label);
}

// The current image's sector is read from where that image lies in the file.
void ExpectLabelledData(D88File& reader, int label)
{
    Bytes data(LabelSectorSize);
    EXPECT_EQ(reader.ReadSector(0, 0, 0, 1, 1, data.data(), LabelSectorSize), LabelSectorSize);
    EXPECT_EQ(data, LabelData(label));
}

void ExpectNoCurrentImage(D88File& reader)
{
    EXPECT_EQ(reader.GetMediaType(), -1);
    EXPECT_STREQ(reader.GetDiskName(), "");
    Bytes data(LabelSectorSize);
    EXPECT_EQ(reader.ReadSector(0, 0, 0, 1, 1, data.data(), LabelSectorSize), 0);
}

TEST_F(ImageDirectoryTest, FileShorterThanOneHeaderHoldsNoImage)
{
    const Bytes header = D88ImageBuilder().Name("ONLY").Build();
    for (const std::ptrdiff_t length : {0, 1, 687, 688}) {
        SCOPED_TRACE(length);
        ASSERT_TRUE(OpenBytes(Bytes(header.begin(), header.begin() + length)));
        EXPECT_EQ(reader_.GetImageCount(), length == 688 ? 1 : 0);
        EXPECT_EQ(reader_.SelectImage(0), length == 688);
    }
}

TEST_F(ImageDirectoryTest, ImagesFollowOneAnotherByDiskSize)
{
    // Three images the size of the title's disks, then bytes too few for a
    // fourth header.
    constexpr std::uint32_t ImageSize = 1261568;
    std::vector<Bytes> parts;
    for (int label = 1; label <= 3; ++label) {
        Bytes image = LabelledImage(label).DiskSize(ImageSize).Build();
        image.resize(ImageSize);
        parts.push_back(image);
    }
    parts.push_back(PatternBytes(100, 7));
    ASSERT_TRUE(OpenBytes(Concat(parts)));
    ASSERT_EQ(reader_.GetImageCount(), 3);
    for (int index : {2, 0, 1}) {
        ExpectLabelledHeader(reader_, index, index + 1);
        ExpectLabelledData(reader_, index + 1);
    }
    EXPECT_FALSE(reader_.SelectImage(3));
}

TEST_F(ImageDirectoryTest, AtMostSixtyFourImagesAreIndexed)
{
    std::vector<Bytes> images;
    images.reserve(65);
    for (int label = 0; label < 65; ++label) {
        images.push_back(LabelledImage(label).Build());
    }
    ASSERT_TRUE(OpenBytes(Concat(images)));
    EXPECT_EQ(reader_.GetImageCount(), 64);
    ExpectLabelledHeader(reader_, 63, 63);
    ExpectLabelledData(reader_, 63);
    EXPECT_FALSE(reader_.SelectImage(64));
}

TEST_F(ImageDirectoryTest, DiskSizeDecidesWhereTheNextImageStarts)
{
    // A size below the header's own length cannot lead to a next image; a
    // size that reaches past the end of the file finds none there (and is
    // never taken as a negative offset).
    const struct {
        std::uint32_t diskSize;
        std::int32_t imageCount;
    } cases[] = {{0, 1},          {1, 1},          {687, 1},       {688, 2},
                 {0x7FFFFFFF, 1}, {0x80000000, 1}, {0xFFFFFFFF, 1}};
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.diskSize);
        const Bytes first =
            D88ImageBuilder().Name("IMAGE1").MediaType(1).DiskSize(testCase.diskSize).Build();
        ASSERT_TRUE(OpenBytes(Concat({first, LabelledImage(2).Build()})));
        EXPECT_EQ(reader_.GetImageCount(), testCase.imageCount);
        ExpectLabelledHeader(reader_, 0, 1);
        if (testCase.imageCount == 2) {
            ExpectLabelledHeader(reader_, 1, 2);
            ExpectLabelledData(reader_, 2);
        }
    }
}

TEST_F(ImageDirectoryTest, ImageOffsetsGoPastTwoAndFourGibibytesWithoutWrapping)
{
    // Image 1 starts at 2 GiB, past what a signed 32-bit offset holds; image
    // 2 starts past 4 GiB, where a 32-bit offset would wrap round to 2,048,
    // so a decoy image lies there. The file is sparse: only the images take
    // room.
    constexpr std::uint64_t SecondOffset = 0x80000000;
    constexpr std::uint32_t SecondSize = 0x80000800;
    constexpr std::uint64_t ThirdOffset = SecondOffset + SecondSize;
    const std::string path = scratch_.FilePath("huge.d88");
    ASSERT_TRUE(
        WritePlacedBytes(path, {{0, LabelledImage(1).DiskSize(0x80000000).Build()},
                                {ThirdOffset & 0xFFFFFFFF, LabelledImage(66).Build()},
                                {SecondOffset, LabelledImage(2).DiskSize(SecondSize).Build()},
                                {ThirdOffset, LabelledImage(3).Build()}}));
    ASSERT_TRUE(reader_.Open(path.c_str()));
    ASSERT_EQ(reader_.GetImageCount(), 3);
    for (int index : {0, 1, 2}) {
        ExpectLabelledHeader(reader_, index, index + 1);
        ExpectLabelledData(reader_, index + 1);
    }
}

TEST_F(ImageDirectoryTest, NameKeepsUpToSixteenCharactersAndMediaTypeItsByte)
{
    // Each name is read after a longer one: nothing of the earlier may stay.
    const struct {
        std::string field;
        const char* name;
        std::uint8_t mediaType;
    } cases[] = {{"ABCDEFGHIJKLMNOPQ", "ABCDEFGHIJKLMNOP", 0x00},
                 {"ABCDEFGHIJKLMNOP", "ABCDEFGHIJKLMNOP", 0x20},
                 {std::string("AB\0CDEFGH", 9), "AB", 0x7F},
                 {"XYZ", "XYZ", 0x80},
                 {"", "", 0xFF}};
    std::vector<Bytes> images;
    for (const auto& testCase : cases) {
        images.push_back(
            D88ImageBuilder().Name(testCase.field).MediaType(testCase.mediaType).Build());
    }
    ASSERT_TRUE(OpenBytes(Concat(images)));
    ASSERT_EQ(reader_.GetImageCount(), 5);
    for (std::int32_t index = 0; index < 5; ++index) {
        SCOPED_TRACE(index);
        ASSERT_TRUE(reader_.SelectImage(index));
        EXPECT_STREQ(reader_.GetDiskName(), cases[index].name);
        EXPECT_EQ(reader_.GetMediaType(), cases[index].mediaType);
    }
}

TEST_F(ImageDirectoryTest, SelectingOutsideTheImagesLeavesNoCurrentImage)
{
    EXPECT_FALSE(reader_.SelectImage(0)) << "no file open";
    ExpectNoCurrentImage(reader_);

    ASSERT_TRUE(OpenBytes(LabelledImage(5).Build()));
    for (const std::int32_t index : {1, -1, 64, INT_MIN, INT_MAX}) {
        SCOPED_TRACE(index);
        ExpectLabelledHeader(reader_, 0, 5);
        EXPECT_FALSE(reader_.SelectImage(index));
        ExpectNoCurrentImage(reader_);
    }
}

TEST_F(ImageDirectoryTest, OpenWithoutPathCloses)
{
    EXPECT_TRUE(reader_.Open(nullptr)) << "never opened";
    EXPECT_EQ(reader_.GetImageCount(), 0);
    ExpectNoCurrentImage(reader_);

    ASSERT_TRUE(OpenBytes(LabelledImage(3).Build()));
    ExpectLabelledHeader(reader_, 0, 3);
    EXPECT_TRUE(reader_.Open(nullptr));
    EXPECT_EQ(reader_.GetImageCount(), 0);
    ExpectNoCurrentImage(reader_);
    EXPECT_FALSE(reader_.SelectImage(0));
}

TEST_F(ImageDirectoryTest, PathsThatNameNoFileDoNotOpen)
{
    ASSERT_TRUE(OpenBytes(LabelledImage(3).Build()));
    const std::string missing = scratch_.FilePath("missing.d88");
    for (const std::string& path : {scratch_.Path().string(), missing}) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(reader_.Open(path.c_str()));
        // Whatever was open before is closed.
        EXPECT_EQ(reader_.GetImageCount(), 0);
        EXPECT_FALSE(reader_.SelectImage(0));
    }
}

// Descriptors open in this process where the system lists them; -1 elsewhere.
std::ptrdiff_t OpenDescriptorCount()
{
    std::error_code error;
    const std::filesystem::directory_iterator listing("/proc/self/fd", error);
    if (error) {
        return -1;
    }
    return std::distance(listing, std::filesystem::directory_iterator());
}

TEST_F(ImageDirectoryTest, OpeningAnotherFileClosesTheFirst)
{
    const std::string first = WriteImageFile(
        "first.d88",
        Concat({LabelledImage(1).Build(), LabelledImage(2).Build(), LabelledImage(3).Build()}));
    const std::string second = WriteImageFile("second.d88", LabelledImage(9).Build());
    std::ptrdiff_t descriptors = 0;
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(reader_.Open(first.c_str()));
        EXPECT_EQ(reader_.GetImageCount(), 3);
        ExpectLabelledHeader(reader_, 2, 3);
        ASSERT_TRUE(reader_.Open(second.c_str()));
        EXPECT_EQ(reader_.GetImageCount(), 1);
        ExpectLabelledHeader(reader_, 0, 9);
        ExpectLabelledData(reader_, 9);
        EXPECT_FALSE(reader_.SelectImage(1));
        if (round == 0) {
            descriptors = OpenDescriptorCount();
        }
    }
    EXPECT_EQ(OpenDescriptorCount(), descriptors) << "a replaced file was left open";
}

}  // namespace
