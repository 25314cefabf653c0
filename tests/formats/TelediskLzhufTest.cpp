// The decoder of Teledisk's advanced compression: against the test images'
// encoder, against copies whose result follows from the ring's rules, and
// against figures an independent decoder gave for the same input.
#include <gtest/gtest.h>

#include <string>

#include "D88ImageBuilder.h"
#include "LzhufEncoder.h"
#include "TelediskLzhuf.h"

namespace {

Bytes Decode(const Bytes& stream, std::size_t limit)
{
    // Read as the TD0 reader reads it, in pieces and as far as it asks:
    // the second half first, then the rest, each piece decoded once.
    MemoryByteSource source(stream);
    TelediskStream decoded(source, 0, limit);
    Bytes bytes(decoded.Size());
    const std::size_t half = bytes.size() / 2;
    EXPECT_EQ(decoded.ReadAt(half, bytes.data() + half, bytes.size() - half + 1),
              bytes.size() - half);
    EXPECT_EQ(decoded.ReadAt(0, bytes.data(), half), half);
    EXPECT_EQ(decoded.ReadAt(bytes.size(), bytes.data(), 1), 0U);
    return bytes;
}

TEST(TelediskLzhuf, DecodesWhatTheEncoderWrote)
{
    // 70,000 symbols take the root's count past 0x8000 twice, halving the
    // counts; the limit stops the output; a stream cut short (cut > 0)
    // decodes to a part.
    const struct {
        std::size_t size;
        std::size_t cut;
        std::size_t limit;
        std::size_t expected;
    } cases[] = {
        {0, 0, 100, 0},           {1, 0, 100, 1},      {300, 0, 1000, 300},
        {70000, 0, 70000, 70000}, {1000, 0, 999, 999}, {1000, 300, 1000, 0},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(std::to_string(testCase.size) + " bytes");
        const Bytes data = PatternBytes(testCase.size, 3);
        Bytes stream = EncodeLzhufLiterals(data);
        if (testCase.cut != 0) {
            stream.resize(testCase.cut);
        }
        const Bytes decoded = Decode(stream, testCase.limit);
        if (testCase.cut != 0) {
            EXPECT_GT(decoded.size(), 0U);
            EXPECT_LT(decoded.size(), data.size());
        } else {
            EXPECT_EQ(decoded.size(), testCase.expected);
        }
        EXPECT_TRUE(std::equal(decoded.begin(), decoded.end(), data.begin()));
    }
}

std::vector<LzhufToken> Literals(const Bytes& bytes)
{
    std::vector<LzhufToken> tokens;
    for (const std::uint8_t byte : bytes) {
        tokens.push_back({byte, 0, 0});
    }
    return tokens;
}

std::vector<LzhufToken> Then(std::vector<LzhufToken> tokens, std::uint8_t length,
                             std::uint16_t distance)
{
    tokens.push_back({0, length, distance});
    return tokens;
}

Bytes Text(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

// A copy starts distance + 1 bytes back and may overlap what it writes. The
// ring starts as 4,096 spaces with the first byte written at 4,036, so a
// copy reaching before the start reads spaces, its far end (4,036..4,095)
// included.
TEST(TelediskLzhuf, CopiesFromTheRing)
{
    const struct {
        const char* name;
        std::vector<LzhufToken> tokens;
        std::string expected;
    } cases[] = {
        {"overlapping", Then(Literals(Text("AB")), 5, 1), "ABABABA"},
        {"longest", Then(Literals(Text("abc")), 60, 2),
         "abcabcabcabcabcabcabcabcabcabcabcabcabcabcabcabcabcabcabcabcabc"},
        {"before_the_start", Then(Literals(Text("Z")), 3, 99), "Z   "},
        {"far_end_of_the_ring", Then(Literals(Text("XY")), 4, 4095), "XY    "},
    };
    for (const auto& testCase : cases) {
        const Bytes decoded = Decode(EncodeLzhuf(testCase.tokens), 1000);
        EXPECT_EQ(std::string(decoded.begin(), decoded.end()), testCase.expected) << testCase.name;
    }
}

// After 4,096 bytes, copies from each end of every prefix length's range of
// distances take the bytes that far back.
TEST(TelediskLzhuf, DecodesEveryDistanceCode)
{
    const Bytes history = PatternBytes(4096, 5);
    std::vector<LzhufToken> tokens = Literals(history);
    Bytes expected = history;
    for (const std::size_t distance : std::initializer_list<std::size_t>{
             0, 63, 64, 255, 256, 767, 768, 1535, 1536, 3071, 3072, 4095}) {
        tokens = Then(tokens, 3, static_cast<std::uint16_t>(distance));
        for (int k = 0; k < 3; ++k) {
            expected.push_back(expected[expected.size() - distance - 1]);
        }
    }
    EXPECT_EQ(Decode(EncodeLzhuf(tokens), 10000), expected);
}

std::uint64_t Fnv1a(const Bytes& bytes)
{
    std::uint64_t hash = 0xCBF29CE484222325U;
    for (const std::uint8_t byte : bytes) {
        hash = (hash ^ byte) * 0x100000001B3U;
    }
    return hash;
}

// Any bits decode to something: 100,000 bytes of xorshift noise make
// 624,869 bytes, the counts halved three times on the way. Greaseweazle's
// td0_lzss.c, given the same bytes, made the same 624,869 bytes (then more
// from the zeros it reads past the end), of this FNV-1a hash.
TEST(TelediskLzhuf, DecodesNoiseAsAnIndependentDecoderDoes)
{
    Bytes noise(100000);
    std::uint32_t state = 0x2545F491;
    for (std::uint8_t& byte : noise) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<std::uint8_t>(state & 0xFF);
    }
    const Bytes decoded = Decode(noise, 1U << 24);
    EXPECT_EQ(decoded.size(), 624869U);
    EXPECT_EQ(Fnv1a(decoded), 0xB1A54AFA6CF3C4AEU);
}

}  // namespace
