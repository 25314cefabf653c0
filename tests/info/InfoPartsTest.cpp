// The parts of d88info whose faults a report would hide: readable disk text,
// what a file is, value ranges and the checksums.
#include <gtest/gtest.h>

#include <string>

#include "Checksums.h"
#include "CutImages.h"
#include "D88Layout.h"
#include "DiskText.h"
#include "FileKind.h"
#include "FluxFileWriters.h"
#include "FluxSynthesiser.h"
#include "FormatImageBuilders.h"
#include "MemorySink.h"
#include "Reports.h"
#include "ScratchDirectory.h"
#include "TitleDisks.h"
#include "TrackSummary.h"

namespace {

TEST(InfoParts, DiskTextIsReadable)
{
    const struct {
        std::string bytes;
        const char* utf8;
        const char* shiftJis;
    } cases[] = {
        {"DISK A", "DISK A", "DISK A"},
        {"\xB1\xDF", "ｱﾟ", "\xB1\xDF"},
        {"\x82\xA0\x88\x9F\x83\x94", "あ亜ヴ", "\x82\xA0\x88\x9F\x83\x94"},
        // Disk B's signature, full-width letters and an ideographic space.
        {"\x82\x70\x82\x74\x82\x68\x82\x6B\x82\x6B\x81\x40\x82\x6C\x82\x6E\x82\x71\x82\x60"
         "\x82\x75\x82\x64\x82\x6D",
         "ＱＵＩＬＬ　ＭＯＲＡＶＥＮ", nullptr},
        // NEC's row 13, NEC's and IBM's extra kanji, the first and last
        // lead bytes of each block and trail bytes on both sides of 0x7F.
        {"\x87\x40\x87\x9C\xED\x40\xEE\xFC\xFA\x40", "①∪纊＂ⅰ", nullptr},
        {"\x81\x7E\x81\x80\x81\xFC\x9F\xFC\xE0\x40\xFC\x4B", "×÷◯滌漾黑", nullptr},
        // Where code page 932 differs from plain Shift_JIS.
        {"\x81\x5F\x81\x60\x81\x61\x81\x7C\x81\xCA", "＼～∥－￢", nullptr},
        {"a\\b\x01\x7F", R"(a\\b\x01\x7F)", R"(a\\b\x01\x7F)"},
        // A lead byte without its trail, a trail that is no trail, bytes
        // that start nothing, unassigned pairs, the user-defined area.
        {"x\x82", "x\\x82", "x\\x82"},
        {"\x82\x20", "\\x82 ", "\\x82 "},
        {"\x80\xA0\xFD", R"(\x80\xA0\xFD)", R"(\x80\xA0\xFD)"},
        {"\x85\x40\xFC\x4C", "\\x85@\\xFCL", "\\x85@\\xFCL"},
        {"\xF0\x40", "\\xF0@", "\\xF0@"},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(ReadableText(test.bytes, TextForm::Utf8), test.utf8) << test.utf8;
        EXPECT_EQ(ReadableText(test.bytes, TextForm::ShiftJis),
                  test.shiftJis == nullptr ? test.bytes : test.shiftJis)
            << test.utf8;
    }
    EXPECT_EQ(HexBytes("\x82\x70"
                       "A",
                       " "),
              "82 70 41");
}

TEST(InfoParts, FillerRunsAreNamedNotDecoded)
{
    // "" for no run; the sign is 81 7E in code page 932.
    const struct {
        std::string bytes;
        const char* utf8;
        const char* shiftJis;
    } cases[] = {
        {std::string(24, '\xE5'), "E5 × 24", "E5 \x81\x7E 24"},
        {std::string(16, '\0'), "00 × 16", "00 \x81\x7E 16"},
        {std::string(2, '\xFF'), "FF × 2", "FF \x81\x7E 2"},
        {std::string(1, '\xE5'), "", ""},
        {"\xE5\xE5\xE6", "", ""},
        {std::string(16, ' '), "", ""},
        {"", "", ""},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(FillerRun(test.bytes, TextForm::Utf8).value_or(""), test.utf8);
        EXPECT_EQ(FillerRun(test.bytes, TextForm::ShiftJis).value_or(""), test.shiftJis);
    }
}

// "kind (container)" for a file that holds no image, else "format, images".
std::string KindOf(const Bytes& bytes)
{
    const FileFacts facts = ExamineFile(std::make_unique<MemoryByteSource>(bytes));
    if (facts.notAnImage == nullptr) {
        return ImageFormatName(facts.format) + (", " + std::to_string(facts.images.size()));
    }
    const char* container = facts.notAnImage->container;
    return facts.notAnImage->kind + (" (" + std::string(container == nullptr ? "-" : container)) +
           ")" + (facts.images.empty() ? "" : " with images");
}

// The bytes of `text`, then zeros up to `size`.
Bytes Padded(const std::string& text, std::size_t size = 0)
{
    Bytes bytes(text.begin(), text.end());
    bytes.resize(std::max(size, text.size()));
    return bytes;
}

std::string ReportOf(const Bytes& bytes)
{
    return JsonReport("f", ExamineFile(std::make_unique<MemoryByteSource>(bytes)), ReportOptions{})
        .dump();
}

// The page reports on the file it has just cut, as opened for the cut.
std::string ReportAfterCut(const Bytes& bytes)
{
    D88File file;
    file.Open(std::make_unique<MemoryByteSource>(bytes));
    MemorySink sink;
    RecordedConsole console;
    CutImages(file, DiskChoice::BySignature, sink, console);
    MemoryByteSource source(bytes);
    return JsonReport("f", ExamineOpenedFile(source, file), ReportOptions{}).dump();
}

TEST(InfoParts, FilesThatHoldNoImageAreToldFromImages)
{
    constexpr std::size_t RawImageBytes = std::size_t{77} * 2 * 8 * 1024;
    D88ImageBuilder namedPk = MakeBlankTitleDisk();
    namedPk.Name("PK\x03\x04");
    Bytes cutShort = MakeDiskB().Build();
    cutShort.resize(cutShort.size() - 5000);
    // A track offset past the disk: no plausible header, but disk B is found.
    Bytes badOffset = MakeDiskB().Build();
    badOffset[d88::TrackTableField + 163 * d88::TrackEntrySize + 3] = 0x7F;
    Bytes badOffsetOther = MakeBlankTitleDisk().Build();
    badOffsetOther[d88::TrackTableField + 163 * d88::TrackEntrySize + 3] = 0x7F;
    const struct {
        Bytes bytes;
        const char* kind;
    } cases[] = {
        {Padded("PK\x03\x04\x14", 200), "ZIP archive (ZIP archive)"},
        {Padded("PK\x05\x06", 22), "empty ZIP archive (ZIP archive)"},
        // The magic counts before a raw image's size does.
        {Padded("\x1F\x8B\x08", RawImageBytes), "gzip file (gzip file)"},
        {Padded("\x24\x1A-lh5-", 90), "LZH archive (LZH archive)"},
        {Padded("\x24\x1A-lzs-", 90), "LZH archive (LZH archive)"},
        {Padded("7z\xBC\xAF\x27\x1C", 32), "7z archive (7z archive)"},
        {Padded("Rar!\x1A\x07\x01", 20), "RAR archive (RAR archive)"},
        {Padded("Tracks 0-153, 8 sectors each.\n", 2000), "not a disk image (-)"},
        {Padded("\x1F\x8B"), "not a disk image (-)"},
        {{}, "empty file (-)"},
        // A D88 header counts before any magic, and holds when the file is cut short.
        {namedPk.Build(), "D88, 1"},
        {cutShort, "D88, 1"},
        {badOffset, "D88, 1"},
        {badOffsetOther, "not a disk image (-)"},
        {Padded("", RawImageBytes), "HDM, 1"},
        {BuildNfdR1(MakeDiskB()), "NFD r1, 1"},
        {WriteHfe(SynthesiseDisk(D88ImageBuilder().Track(0, UniformTrack(0))), 1), "HFE, 1"},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(KindOf(test.bytes), test.kind);
        EXPECT_EQ(ReportAfterCut(test.bytes), ReportOf(test.bytes)) << test.kind;
    }
}

// The page gives a KryoFlux dump as its track files in memory: they read as
// the same dump opened from its folder, other files among them left out.
TEST(InfoParts, KryofluxStreamsInMemoryReadAsFromTheirFolder)
{
    D88ImageBuilder disk;
    disk.Track(0, UniformTrack(0)).Track(3, UniformTrack(3));
    std::vector<NamedBytes> files = WriteKryofluxStreams(SynthesiseDisk(disk), "dump");
    ScratchDirectory folder;
    for (const NamedBytes& file : files) {
        WriteBytesToFile(folder.FilePath(file.name), file.bytes);
    }
    const std::filesystem::path first = folder.FilePath(files.front().name);
    const FileFacts fromFolder = ExamineFile(OpenFileByteSource(first), &first);
    files.insert(files.begin(), {"notes.txt", Padded("Tracks 0 and 3.\n")});
    files.push_back({"other00.1.raw", files.back().bytes});

    std::optional<ConvertedImage> converted = ConvertKryofluxStreamsToD88(files);
    ASSERT_TRUE(converted.has_value());
    const FileFacts inMemory = ExamineFile(std::move(*converted));
    for (const FileFacts* facts : {&fromFolder, &inMemory}) {
        EXPECT_EQ(facts->format, ImageFormat::Kryoflux);
        ASSERT_TRUE(facts->flux.has_value());
        ASSERT_EQ(facts->flux->tracks.size(), 2U);
        EXPECT_EQ(facts->flux->tracks[1].trackIndex, 3);
        EXPECT_EQ(facts->flux->tracks[1].sectors.size(), 8U);
        ASSERT_EQ(facts->images.size(), 1U);
    }
    EXPECT_EQ(inMemory.d88Bytes, fromFolder.d88Bytes);
    EXPECT_FALSE(ConvertKryofluxStreamsToD88({{"notes.txt", Padded("no stream")}}).has_value());
}

TEST(InfoParts, RangesCompressRunsAndRepeats)
{
    const struct {
        std::vector<std::int32_t> values;
        const char* text;
    } cases[] = {
        {{}, ""},
        {{1, 2, 3, 4, 5, 6, 7, 8}, "1-8"},
        {{1, 3, 5, 7, 2, 4, 6, 8}, "1,3,5,7,2,4,6,8"},
        {{1, 0, 0, 0, 2, 3}, "1,0(x3),2-3"},
        {{5}, "5"},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(Ranges(test.values), test.text);
    }
}

TEST(InfoParts, ChecksumsOfKnownInputs)
{
    const std::string digits = "123456789";
    const auto* data = reinterpret_cast<const unsigned char*>(digits.data());
    EXPECT_EQ(Crc32Of(data, digits.size()), 0xCBF43926U);
    EXPECT_EQ(Sha256HexOf(data, 0),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Sha256HexOf(data, digits.size()),
              "15e2b0d3c33891ebb0f1ef609ec419420c20e320ce94c65fbc8c3312448eb225");
}

}  // namespace
