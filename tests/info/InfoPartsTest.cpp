// The parts of d88info whose faults a report would hide: readable disk text,
// value ranges and the checksums.
#include <gtest/gtest.h>

#include <string>

#include "Checksums.h"
#include "DiskText.h"
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
        {"\x82\xA0\x88\x9F", "あ亜", "\x82\xA0\x88\x9F"},
        {"a\\b\x01\x7F", R"(a\\b\x01\x7F)", R"(a\\b\x01\x7F)"},
        // A lead byte without its trail, a trail that is no trail, bytes
        // that start nothing, an unassigned pair.
        {"x\x82", "x\\x82", "x\\x82"},
        {"\x82\x20", "\\x82 ", "\\x82 "},
        {"\x80\xA0\xFD", R"(\x80\xA0\xFD)", R"(\x80\xA0\xFD)"},
        {"\x85\x40", "\\x85@", "\\x85@"},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(ReadableText(test.bytes, TextForm::Utf8), test.utf8) << test.utf8;
        EXPECT_EQ(ReadableText(test.bytes, TextForm::ShiftJis), test.shiftJis) << test.utf8;
    }
    EXPECT_EQ(HexBytes("\x82\x70"
                       "A",
                       " "),
              "82 70 41");
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
