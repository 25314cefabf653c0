// Which files d88info names as archives or as no disk image, and which it
// still reads as images: a disk's header and a format's proof come first.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "FileKind.h"
#include "FormatImageBuilders.h"
#include "TitleDisks.h"

namespace {

// The bytes of `text`, then zeros up to `size`.
Bytes Padded(const std::string& text, std::size_t size)
{
    Bytes bytes(text.begin(), text.end());
    bytes.resize(std::max(size, text.size()));
    return bytes;
}

Bytes Truncated(Bytes bytes, std::size_t cut)
{
    bytes.resize(bytes.size() - cut);
    return bytes;
}

constexpr std::size_t Hdm2hdBytes = 77 * 2 * 8 * 1024;

TEST(FileKind, ArchivesAndOtherFilesAreToldFromImages)
{
    D88ImageBuilder zipNamed = MakeBlankTitleDisk();
    zipNamed.Name("PK\x03\x04");
    std::string text;
    for (int line = 0; line < 100; ++line) {
        text += "A line of notes, not a disk.\n";
    }
    const struct {
        const char* what;
        Bytes bytes;
        const char* kind;  // null: read as images
        const char* container;
        ImageFormat format;
    } cases[] = {
        {"zip", Padded("PK\x03\x04\x14", 200), "ZIP archive", "ZIP archive", {}},
        {"empty zip", Padded("PK\x05\x06", 22), "empty ZIP archive", "ZIP archive", {}},
        {"gzip", Padded("\x1F\x8B\x08", 40), "gzip file", "gzip file", {}},
        {"gzip of a raw image's size",
         Padded("\x1F\x8B\x08", Hdm2hdBytes),
         "gzip file",
         "gzip file",
         {}},
        {"lzh -lh5-", Padded("\x24\x1A-lh5-", 90), "LZH archive", "LZH archive", {}},
        {"lzh -lzs-", Padded("\x24\x1A-lzs-", 90), "LZH archive", "LZH archive", {}},
        {"7z", Padded("7z\xBC\xAF\x27\x1C", 32), "7z archive", "7z archive", {}},
        {"rar 4", Padded("Rar!\x1A\x07\x00", 20), "RAR archive", "RAR archive", {}},
        {"rar 5", Padded("Rar!\x1A\x07\x01\x00", 20), "RAR archive", "RAR archive", {}},
        {"text", Padded(text, 0), "not a disk image", nullptr, {}},
        {"two bytes of gzip's magic", Padded("\x1F\x8B", 0), "not a disk image", nullptr, {}},
        {"lzh's method cut short", Padded("\x24\x1A-lh5", 0), "not a disk image", nullptr, {}},
        {"empty", {}, "empty file", nullptr, {}},
        {"disk named PK", zipNamed.Build(), nullptr, nullptr, ImageFormat::D88},
        {"disk cut short", Truncated(MakeDiskB().Build(), 5000), nullptr, nullptr,
         ImageFormat::D88},
        {"raw image", Padded("", Hdm2hdBytes), nullptr, nullptr, ImageFormat::Hdm},
        {"disk B as NFD r1", BuildNfdR1(MakeDiskB()), nullptr, nullptr, ImageFormat::NfdR1},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        const FileFacts facts = ExamineFile(std::make_unique<MemoryByteSource>(test.bytes));
        if (test.kind == nullptr) {
            ASSERT_EQ(facts.notAnImage, nullptr) << facts.notAnImage->kind;
            EXPECT_EQ(facts.format, test.format);
            EXPECT_EQ(facts.images.size(), 1U);
            continue;
        }
        ASSERT_NE(facts.notAnImage, nullptr);
        EXPECT_STREQ(facts.notAnImage->kind, test.kind);
        EXPECT_EQ(facts.notAnImage->container == nullptr, test.container == nullptr);
        if (test.container != nullptr) {
            EXPECT_STREQ(facts.notAnImage->container, test.container);
        }
        EXPECT_TRUE(facts.images.empty());
        EXPECT_EQ(facts.d88Bytes, test.bytes.size());
    }
}

}  // namespace
