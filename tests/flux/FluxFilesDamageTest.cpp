// Dumps that lie or end early: refused when opened, or the damaged track
// refused; never a read beyond the file or an allocation beyond what it
// holds (the sanitizer build watches both). Hand-made v3 opcodes and
// KryoFlux blocks pin down what each means.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "FluxFileWriters.h"
#include "LittleEndian.h"
#include "flux/KryofluxStream.h"

namespace {

using Revolutions = std::vector<std::vector<std::uint32_t>>;

void PutLe32(Bytes& bytes, std::size_t offset, std::uint32_t value)
{
    PutLe(bytes, offset, value, 4);
}

// Cylinder 0, both heads, two revolutions of MFM-like intervals.
std::vector<FluxTrack> TwoTracks(double tickNs, std::uint32_t unit)
{
    std::vector<FluxTrack> tracks;
    for (int head = 0; head < 2; ++head) {
        FluxTrack track{0, head, tickNs, Revolutions(2)};
        for (std::vector<std::uint32_t>& revolution : track.revolutions) {
            for (std::uint32_t k = 0; k < 600; ++k) {
                revolution.push_back(unit * (2 + (k + static_cast<std::uint32_t>(head)) % 3));
            }
        }
        tracks.push_back(track);
    }
    return tracks;
}

struct Damage {
    const char* name;
    std::function<void(Bytes&)> damage;
    // -1: the file is not recognised; else the track refused.
    int refusedTrack;
};

void ExpectDamageRefused(const Damage& damage, const Bytes& good,
                         std::unique_ptr<FluxSource> (*open)(ByteSource&))
{
    SCOPED_TRACE(damage.name);
    Bytes bytes = good;
    damage.damage(bytes);
    MemoryByteSource source(bytes);
    const std::unique_ptr<FluxSource> flux = open(source);
    if (damage.refusedTrack < 0) {
        EXPECT_EQ(flux, nullptr);
        return;
    }
    ASSERT_NE(flux, nullptr);
    FluxTrack track;
    EXPECT_FALSE(flux->ReadTrack(damage.refusedTrack, track));
}

// Written without extension block or footer: the header, the table at 0x10,
// track 0's TDH at 0x2B0 with its revolutions' entries from 0x2B4.
std::vector<Damage> ScpDamages()
{
    return {
        {"cut within the header", [](Bytes& bytes) { bytes.resize(12); }, -1},
        {"not SCP", [](Bytes& bytes) { bytes[0] = 'X'; }, -1},
        {"no revolutions", [](Bytes& bytes) { bytes[0x05] = 0; }, -1},
        {"first track after the last", [](Bytes& bytes) { bytes[0x06] = 2; }, -1},
        {"extended mode", [](Bytes& bytes) { bytes[0x08] |= 0x40; }, -1},
        {"8-bit cells", [](Bytes& bytes) { bytes[0x09] = 8; }, -1},
        {"heads byte 3", [](Bytes& bytes) { bytes[0x0A] = 3; }, -1},
        {"no tracks",
         [](Bytes& bytes) { std::fill(bytes.begin() + 0x10, bytes.begin() + 0x2B0, 0); }, -1},
        {"track past the end", [](Bytes& bytes) { PutLe32(bytes, 0x10, 0xFFFFFFF0); }, 0},
        {"TDH of another track", [](Bytes& bytes) { bytes[0x2B3] = 1; }, 0},
        {"TDH without TRK", [](Bytes& bytes) { bytes[0x2B0] = 'X'; }, 0},
        {"flux count 2^32-1", [](Bytes& bytes) { PutLe32(bytes, 0x2B8, 0xFFFFFFFF); }, 0},
        {"flux offset past the end", [](Bytes& bytes) { PutLe32(bytes, 0x2BC, 0xFFFFFFF0); }, 0},
        {"revolutions together larger than the file",
         [](Bytes& bytes) {
             const auto count = static_cast<std::uint32_t>((bytes.size() - 0x2B0 - 28) / 2);
             PutLe32(bytes, 0x2B8, count);
             PutLe32(bytes, 0x2BC, 28);
             PutLe32(bytes, 0x2C4, count);
             PutLe32(bytes, 0x2C8, 28);
         },
         0},
        {"cut within the last track", [](Bytes& bytes) { bytes.resize(bytes.size() - 10); }, 1},
        // Track 0's first revolution runs over track 1's TDH and flux to the
        // end of the file: track 1's flux would be decoded twice.
        {"flux shared by two tracks",
         [](Bytes& bytes) {
             const std::size_t fluxAt = 0x2B0 + DecodeLe32(&bytes[0x2BC]);
             PutLe32(bytes, 0x2B8, static_cast<std::uint32_t>((bytes.size() - fluxAt) / 2));
             PutLe32(bytes, 0x2C4, 0);
         },
         1},
    };
}

TEST(FluxFilesDamage, ScpRefused)
{
    const Bytes good = WriteScp(TwoTracks(25, 40), {0, false, false, false});
    ASSERT_EQ(DecodeLe32(&good[0x10]), 0x2B0U);
    for (const Damage& damage : ScpDamages()) {
        ExpectDamageRefused(damage, good, OpenScp);
    }
}

// One cylinder: the header, the track list at 0x200, the track at 0x400.
std::vector<Damage> HfeDamages(const Bytes& good)
{
    // Enough cylinders listing the one track to take their cells past the
    // file's size with the last of them.
    const std::size_t cylinders = good.size() / DecodeLe16(&good[0x202]) + 1;
    return {
        {"cut within the header", [](Bytes& bytes) { bytes.resize(16); }, -1},
        {"not HFE", [](Bytes& bytes) { bytes[3] = 'X'; }, -1},
        {"revision 2", [](Bytes& bytes) { bytes[0x08] = 2; }, -1},
        {"no tracks", [](Bytes& bytes) { bytes[0x09] = 0; }, -1},
        {"no sides", [](Bytes& bytes) { bytes[0x0A] = 0; }, -1},
        {"three sides", [](Bytes& bytes) { bytes[0x0A] = 3; }, -1},
        {"bit rate 0", [](Bytes& bytes) { bytes[0x0C] = bytes[0x0D] = 0; }, -1},
        {"track list at block 0", [](Bytes& bytes) { bytes[0x12] = bytes[0x13] = 0; }, -1},
        {"track list past the end", [](Bytes& bytes) { bytes[0x12] = bytes[0x13] = 0xFF; }, -1},
        {"track list runs past the end",
         [](Bytes& bytes) {
             bytes[0x09] = 255;
             bytes[0x12] = 2;
         },
         -1},
        {"track past the end", [](Bytes& bytes) { bytes[0x200] = bytes[0x201] = 0xFF; }, 0},
        {"track longer than the file", [](Bytes& bytes) { bytes[0x202] = bytes[0x203] = 0xFF; }, 1},
        {"one track listed for every cylinder",
         [cylinders](Bytes& bytes) {
             bytes[0x09] = static_cast<std::uint8_t>(cylinders);
             for (std::size_t entry = 1; entry < cylinders; ++entry) {
                 std::copy_n(&bytes[0x200], 4, &bytes[0x200 + 4 * entry]);
             }
         },
         2 * static_cast<int>(cylinders - 1)},
    };
}

TEST(FluxFilesDamage, HfeRefused)
{
    const Bytes good = WriteHfe(TwoTracks(25, 40), 1);
    ASSERT_EQ(DecodeLe16(&good[0x200]), 2);
    for (const Damage& damage : HfeDamages(good)) {
        ExpectDamageRefused(damage, good, OpenHfe);
    }
}

// A one-sided HFE v3 of one cylinder whose side holds `side`, at 500 kbit/s.
Bytes HfeV3(const Bytes& side)
{
    Bytes image = WriteHfe({}, 3);
    image[0x09] = 1;
    image[0x0A] = 1;
    image.resize(0x600, 0);
    image[0x200] = 2;
    image[0x202] = static_cast<std::uint8_t>(side.size() * 2);
    std::copy(side.begin(), side.end(), image.begin() + 0x400);
    return image;
}

struct Opcodes {
    const char* name;
    Bytes side;
    std::optional<std::vector<std::uint32_t>> intervals;
};

// A byte's bit 0 is its first cell; a 1 ends an interval. Opcodes and their
// operands are written bit-reversed: 0F NOP, 8F SETINDEX, 4F SETBITRATE,
// CF SKIPBITS, 2F RAND.
std::vector<Opcodes> V3Opcodes()
{
    return {
        {"no cells", {}, std::vector<std::uint32_t>{}},
        {"cells, earliest first", {0x11}, {{1, 4}}},
        {"NOP", {0x01, 0x0F, 0x04}, {{1, 10}}},
        {"SETINDEX starts the revolution", {0x01, 0x8F, 0x04}, {{3, 6}}},
        {"SETBITRATE 72: cells of 2 us", {0x4F, 0x12, 0x11}, {{2, 8}}},
        {"SKIPBITS 4 keeps the last 4 cells", {0xCF, 0x20, 0x10, 0x01}, {{1, 4}}},
        {"SETBITRATE 0", {0x4F, 0x00, 0x11}, std::nullopt},
        {"SETBITRATE without its operand", {0x11, 0x4F}, std::nullopt},
        {"SKIPBITS 0", {0xCF, 0x00, 0x10}, std::nullopt},
        {"SKIPBITS 8", {0xCF, 0x10, 0x10}, std::nullopt},
        {"SKIPBITS without its data", {0xCF, 0x20}, std::nullopt},
        {"unknown opcode", {0xAF, 0x11}, std::nullopt},
    };
}

TEST(FluxFilesDamage, HfeV3Opcodes)
{
    for (const Opcodes& opcodes : V3Opcodes()) {
        SCOPED_TRACE(opcodes.name);
        MemoryByteSource source(HfeV3(opcodes.side));
        const std::unique_ptr<FluxSource> flux = OpenHfe(source);
        ASSERT_NE(flux, nullptr);
        FluxTrack track;
        ASSERT_EQ(flux->ReadTrack(0, track), opcodes.intervals.has_value());
        if (opcodes.intervals) {
            EXPECT_EQ(track.revolutions, Revolutions{*opcodes.intervals});
        }
    }
    // Weak cells: random, but the same on every read.
    MemoryByteSource source(HfeV3({0x2F, 0x2F}));
    const std::unique_ptr<FluxSource> flux = OpenHfe(source);
    FluxTrack first;
    FluxTrack again;
    ASSERT_TRUE(flux->ReadTrack(0, first) && flux->ReadTrack(0, again));
    EXPECT_FALSE(first.revolutions[0].empty());
    EXPECT_EQ(first.revolutions, again.revolutions);
}

// Empty revolutions and intervals of 2^32-1 ticks are handed out as they are.
TEST(FluxFilesDamage, ExtremeRevolutionsKept)
{
    const Revolutions revolutions = {{}, {0xFFFFFFFF}, {0x10000, 0}, {}};
    const FluxTrack scpTrack{0, 0, 25, revolutions};
    MemoryByteSource scp(WriteScp({scpTrack}));
    const std::unique_ptr<FluxSource> fromScp = OpenScp(scp);
    FluxTrack read;
    ASSERT_TRUE(fromScp->ReadTrack(0, read));
    // SCP cannot hold a whole multiple of 65,536 ticks: the writer adds one.
    EXPECT_EQ(read.revolutions, (Revolutions{{}, {0xFFFFFFFF}, {0x10001, 1}, {}}));

    const FluxTrack kfTrack{0, 0, 1e9 / 24027428.5714285, revolutions};
    const std::unique_ptr<FluxSource> fromKf = OpenKryofluxStreams(WriteKryofluxStreams({kfTrack}));
    ASSERT_TRUE(fromKf->ReadTrack(0, read));
    EXPECT_EQ(read.revolutions, revolutions);
}

Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes bytes;
    for (const Bytes& part : parts) {
        bytes.insert(bytes.end(), part.begin(), part.end());
    }
    return bytes;
}

Bytes Oob(std::uint8_t type, const Bytes& payload)
{
    return Cat({{0x0D, type, static_cast<std::uint8_t>(payload.size() & 0xFF),
                 static_cast<std::uint8_t>(payload.size() >> 8)},
                payload});
}

Bytes Words(std::uint32_t first, std::uint32_t second, std::uint32_t third)
{
    Bytes bytes(12);
    PutLe32(bytes, 0, first);
    PutLe32(bytes, 4, second);
    PutLe32(bytes, 8, third);
    return bytes;
}

Bytes Index(std::uint32_t position)
{
    return Oob(0x02, Words(position, 0, 0));
}

Bytes End(std::uint32_t position, std::uint32_t result = 0)
{
    Bytes payload = Words(position, result, 0);
    payload.resize(8);
    return Oob(0x03, payload);
}

Bytes Info(const std::string& text)
{
    return Oob(0x04, Bytes(text.begin(), text.end()));
}

struct Stream {
    const char* name;
    Bytes bytes;
    std::optional<Revolutions> revolutions;  // nullopt: refused
    double tickNs;                           // 0: the default clock's
};

// Flux2 00-07, Nop1-3 08-0A, Ovl16 0B, Flux3 0C, OOB 0D, Flux1 0E-FF. The
// stream position counts flux and no-op bytes only.
std::vector<Stream> Streams()
{
    return {
        {"every block",
         Cat({Index(0),
              {0x30, 0x00, 0x05, 0x01, 0x00, 0x08, 0x09, 0xAA, 0x0A, 0xAA, 0xAA},
              {0x0C, 0x12, 0x34, 0x0B, 0x20},
              Index(16),
              {0x40},
              End(17)}),
         Revolutions{{0x30, 5, 0x100, 0x1234, 0x10020}}, 0},
        {"capture before the index, sck from KFInfo",
         Cat({Info("name=x, sck=40000000, ick=5000000"),
              {0x50},
              Index(1),
              {0x30, 0x31},
              Index(3),
              {0x40},
              End(4)}),
         Revolutions{{0x30, 0x31}}, 25},
        {"index sent before its flux",
         Cat({Index(0), {0x30}, Index(2), {0x31, 0x32}, Index(3), {0x33}, End(4)}),
         Revolutions{{0x30, 0x31}, {0x32}}, 0},
        {"index sent after its flux",
         Cat({Index(0), {0x30, 0x31, 0x32}, Index(2), {0x33}, Index(3), End(4)}),
         Revolutions{{0x30, 0x31}, {0x32}}, 0},
        {"index blocks out of order",
         Cat({Index(0), {0x30, 0x31}, Index(3), Index(2), {0x32, 0x33}, End(4)}),
         Revolutions{{0x30, 0x31}, {0x32}}, 0},
        {"index sent after the stream end",
         Cat({Index(0), {0x30, 0x31}, End(2), Index(1), {0x0D, 0x0D, 0x0D, 0x0D}}),
         Revolutions{{0x30}}, 0},
        {"two indexes at one flux", Cat({Index(0), Index(0), {0x30}, Index(1), {0x31}, End(2)}),
         Revolutions{{}, {0x30}}, 0},
        {"one index: no revolution", Cat({Index(0), {0x30}, End(1)}), Revolutions{}, 0},
        {"2^32-1 ticks",
         Cat({Index(0),
              Bytes(0xFFFF, 0x0B),
              {0x0C, 0xFF, 0xFF},
              Index(0x10002),
              {0x30},
              End(0x10003)}),
         Revolutions{{0xFFFFFFFF}}, 0},
        {"2^32 ticks", Cat({Index(0), Bytes(0x10000, 0x0B), {0x30}, Index(0x10001), End(0x10001)}),
         std::nullopt, 0},
        {"no stream end", Cat({Index(0), {0x30}, Index(1), {0x31}}), std::nullopt, 0},
        {"stream end elsewhere", Cat({Index(0), {0x30}, Index(1), End(5)}), std::nullopt, 0},
        {"stream end with an error", Cat({Index(0), {0x30}, Index(1), End(1, 1)}), std::nullopt, 0},
        {"stream information elsewhere", Cat({Index(0), {0x30}, Oob(0x01, Bytes(8, 0)), End(1)}),
         std::nullopt, 0},
        {"end of file before the stream end", Cat({Index(0), {0x30, 0x0D, 0x0D, 0x0D, 0x0D}}),
         std::nullopt, 0},
        {"sck 0", Cat({Info("sck=0"), Index(0), {0x30}, End(1)}), std::nullopt, 0},
        {"sck no number", Cat({Info("name=x, sck=fast"), Index(0), {0x30}, End(1)}), std::nullopt,
         0},
        {"index too short", Cat({Index(0), Oob(0x02, Bytes(4, 0)), End(0)}), std::nullopt, 0},
        {"block past the end", Cat({Index(0), {0x30, 0x0D, 0x03, 0xFF, 0x00}}), std::nullopt, 0},
        {"Flux2 cut", Cat({Index(0), {0x01}}), std::nullopt, 0},
        {"Flux3 cut", Cat({Index(0), {0x0C, 0x01}}), std::nullopt, 0},
    };
}

TEST(FluxFilesDamage, KryofluxStreamBlocks)
{
    for (const Stream& stream : Streams()) {
        SCOPED_TRACE(stream.name);
        const std::unique_ptr<FluxSource> flux = OpenKryofluxStreams({{"t00.0.raw", stream.bytes}});
        ASSERT_NE(flux, nullptr);
        FluxTrack track;
        ASSERT_EQ(flux->ReadTrack(0, track), stream.revolutions.has_value());
        if (stream.revolutions) {
            EXPECT_EQ(track.revolutions, *stream.revolutions);
            EXPECT_DOUBLE_EQ(track.tickNs,
                             stream.tickNs != 0 ? stream.tickNs : 1e9 / KryofluxSampleClockHz);
        }
    }
}

TEST(FluxFilesDamage, KryofluxNotRecognised)
{
    const Bytes notStreams[] = {
        {}, {0x30, 0x0D, 0x04, 0x00, 0x00}, End(0), {0x0D, 0x04, 0x10, 0x00, 'a'}};
    for (const Bytes& bytes : notStreams) {
        EXPECT_EQ(OpenKryofluxStreams({{"t00.0.raw", bytes}}), nullptr);
    }
}

}  // namespace
