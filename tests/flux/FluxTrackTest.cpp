// One track read over several revolutions: which revolution's data each
// sector keeps, its status, and how many revolutions read it; the CRC's
// check values; flux that holds no track at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <ostream>
#include <string>

#include "Crc16.h"
#include "FluxSynthesiser.h"
#include "flux/FluxDecoder.h"

namespace {

// Damaged: as the first revolution damaged it, from its middle on.
enum class DataIs { Written, Damaged, Absent };

struct SectorExpected {
    std::size_t place;  // the sector's place in the track written
    std::uint8_t status;
    int idReads;
    int dataReads;
    int goodReads;
    DataIs data;
};

struct TrackCase {
    std::string name;
    int revolutions;
    std::vector<SectorDamage> damage;
    std::function<void(SynthTrack&, FluxSynthesis&)> edit;
    int idCrcErrors;
    std::vector<SectorExpected> sectors;
};

constexpr int Track = 5;
// Places in the track as laid out: the bytes before the first sector and a
// sector of 512 bytes, then in the second sector the middle of the gap
// after its ID, or the middle of its data.
constexpr std::size_t IndexAfterSecondId = std::size_t{146 + 658 + 22 + 11} * 16;
constexpr std::size_t IndexInSecondData = std::size_t{146 + 658 + 60 + 256} * 16;

SynthTrack FourSectors(bool fmTrack)
{
    SynthTrack track{Track, fmTrack, {}};
    for (std::uint8_t r = 1; r <= 4; ++r) {
        track.sectors.push_back({2, 1, r, 2, PatternBytes(512, r), false});
    }
    return track;
}

SectorDamage Damage(std::size_t place, SectorFault fault, std::vector<int> revolutions = {})
{
    return {Track, place, fault, std::move(revolutions)};
}

std::vector<SectorExpected> AllGood(int revolutions)
{
    std::vector<SectorExpected> sectors;
    for (std::size_t place = 0; place < 4; ++place) {
        sectors.push_back({place, 0x00, revolutions, revolutions, revolutions, DataIs::Written});
    }
    return sectors;
}

std::vector<SectorExpected> AllGoodBut(int revolutions, const SectorExpected& changed)
{
    std::vector<SectorExpected> sectors = AllGood(revolutions);
    sectors[changed.place] = changed;
    return sectors;
}

std::vector<TrackCase> Cases()
{
    const auto none = [](SynthTrack&, FluxSynthesis&) {};
    std::vector<SectorExpected> withoutThird = AllGood(2);
    withoutThird.erase(withoutThird.begin() + 2);
    std::vector<SectorExpected> fromThird = AllGood(2);
    std::rotate(fromThird.begin(), fromThird.begin() + 2, fromThird.end());
    // With the index inside the second sector, its ID passes the head last,
    // and the last revolution ends before its data.
    fromThird[3] = {1, 0x00, 1, 1, 1, DataIs::Written};
    const auto deleteFirst = [](SynthTrack& track, FluxSynthesis&) {
        track.sectors[0].deleted = true;
    };
    const auto duplicateFirst = [](SynthTrack& track, FluxSynthesis&) {
        track.sectors[2].r = 1;
        track.sectors[3].r = 1;
    };
    const auto indexAt = [](std::size_t cells) {
        return
            [cells](SynthTrack&, FluxSynthesis& synthesis) { synthesis.indexAfterCells = cells; };
    };
    const auto inFm = [](SynthTrack& track, FluxSynthesis&) { track = FourSectors(true); };
    return {
        {"Clean", 2, {}, none, 0, AllGood(2)},
        {"DamagedInOneRevolution",
         3,
         {Damage(1, SectorFault::CorruptData, {0})},
         none,
         0,
         AllGoodBut(3, {1, 0x00, 3, 3, 2, DataIs::Written})},
        {"DamagedInEveryRevolution",
         3,
         {Damage(1, SectorFault::CorruptData)},
         none,
         0,
         AllGoodBut(3, {1, 0xB0, 3, 3, 0, DataIs::Damaged})},
        {"DataMarkLost",
         2,
         {Damage(2, SectorFault::LostDataMark)},
         none,
         0,
         AllGoodBut(2, {2, 0xF0, 2, 0, 0, DataIs::Absent})},
        {"DataMarkLostOnce",
         2,
         {Damage(2, SectorFault::LostDataMark, {1})},
         none,
         0,
         AllGoodBut(2, {2, 0x00, 2, 1, 1, DataIs::Written})},
        {"IdCrcBadInEveryRevolution", 2, {Damage(2, SectorFault::BadIdCrc)}, none, 2, withoutThird},
        {"IdCrcBadOnce",
         3,
         {Damage(3, SectorFault::BadIdCrc, {0})},
         none,
         1,
         AllGoodBut(3, {3, 0x00, 2, 2, 2, DataIs::Written})},
        {"Deleted", 2, {}, deleteFirst, 0, AllGoodBut(2, {0, 0x10, 2, 2, 2, DataIs::Written})},
        {"DuplicateIdsKeptInOrder", 2, {}, duplicateFirst, 0, AllGood(2)},
        {"IndexAfterAnId", 2, {}, indexAt(IndexAfterSecondId), 0, fromThird},
        {"IndexInsideData", 2, {}, indexAt(IndexInSecondData), 0, fromThird},
        {"FmTrack", 2, {}, inFm, 0, AllGood(2)},
    };
}

std::string CaseName(const testing::TestParamInfo<TrackCase>& info)
{
    return info.param.name;
}

void PrintTo(const TrackCase& test, std::ostream* out)
{
    *out << test.name;
}

class FluxTrackTest : public testing::TestWithParam<TrackCase> {};

TEST_P(FluxTrackTest, KeepsTheBestRevolution)
{
    const TrackCase& test = GetParam();
    SynthTrack written = FourSectors(false);
    FluxSynthesis synthesis;
    test.edit(written, synthesis);
    synthesis.revolutions = test.revolutions;
    synthesis.jitterNs = 40;
    synthesis.damage = test.damage;
    const DecodedFluxTrack decoded = DecodeFluxTrack(SynthesiseTrack(written, synthesis), Track);

    EXPECT_EQ(decoded.report.idCrcErrors, test.idCrcErrors);
    ASSERT_EQ(decoded.report.sectors.size(), test.sectors.size());
    std::size_t dataAt = 0;
    for (std::size_t i = 0; i < test.sectors.size(); ++i) {
        const SectorExpected& expected = test.sectors[i];
        const FluxSectorReport& sector = decoded.report.sectors[i];
        const SynthSector& source = written.sectors[expected.place];
        SCOPED_TRACE("sector " + std::to_string(i));
        EXPECT_EQ(sector.fields.r, source.r);
        EXPECT_EQ(sector.fields.c, source.c);
        EXPECT_EQ(sector.fields.fm, written.fm);
        EXPECT_EQ(sector.fields.deleted, source.deleted);
        EXPECT_EQ(sector.fields.status, expected.status);
        EXPECT_EQ(sector.idReads, expected.idReads);
        EXPECT_EQ(sector.dataReads, expected.dataReads);
        EXPECT_EQ(sector.goodReads, expected.goodReads);
        ASSERT_EQ(sector.dataSize, expected.data == DataIs::Absent ? 0 : source.data.size());
        const auto data = decoded.data.begin() + static_cast<std::ptrdiff_t>(dataAt);
        dataAt += sector.dataSize;
        if (expected.data != DataIs::Absent) {
            const auto differ = std::mismatch(source.data.begin(), source.data.end(), data).first;
            EXPECT_EQ(static_cast<std::size_t>(differ - source.data.begin()),
                      expected.data == DataIs::Written ? sector.dataSize : sector.dataSize / 2);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Revolutions, FluxTrackTest, testing::ValuesIn(Cases()), CaseName);

FluxTrack Flux(double tickNs, std::vector<std::vector<std::uint32_t>> revolutions)
{
    return {0, 0, tickNs, std::move(revolutions)};
}

TEST(FluxTrackTest, FindsNothingInFluxWithoutATrack)
{
    constexpr std::uint32_t Longest = std::numeric_limits<std::uint32_t>::max();
    const std::vector<std::uint32_t> twoHd(60000, 80);
    FluxSynthesis synthesis;
    synthesis.revolutions = 5;
    const struct {
        std::string name;
        FluxTrack flux;
        bool cellFound;
    } cases[] = {
        {"no revolutions", Flux(25, {}), false},
        {"empty revolutions", Flux(25, {{}, {}, {}}), false},
        {"longest intervals", Flux(25, {std::vector<std::uint32_t>(50000, Longest)}), false},
        {"zero intervals", Flux(25, {std::vector<std::uint32_t>(100000, 0)}), false},
        {"zero tick", Flux(0, {twoHd}), false},
        {"negative tick", Flux(-25, {twoHd}), false},
        {"tick not a number", Flux(std::nan(""), {twoHd}), false},
        {"infinite tick", Flux(std::numeric_limits<double>::infinity(), {twoHd}), false},
        {"tiny tick", Flux(1e-30, {twoHd}), false},
        {"alternating extremes", Flux(25, {std::vector<std::uint32_t>(50000, 1), {Longest, 1}}),
         false},
        {"one run length only", Flux(25, {twoHd, twoHd}), true},
        // A 1 ns clock: fewer intervals than tick values are binned one by one,
        // more go through a table by tick value.
        {"few intervals of a fine clock", Flux(1, {std::vector<std::uint32_t>(1000, 2000)}), true},
        {"many intervals of a fine clock", Flux(1, {std::vector<std::uint32_t>(100000, 2000)}),
         true},
        {"noise", SynthesiseNoise(0, synthesis), true},
    };
    for (const auto& test : cases) {
        const DecodedFluxTrack decoded = DecodeFluxTrack(test.flux, 0);
        EXPECT_TRUE(decoded.report.sectors.empty()) << test.name;
        EXPECT_TRUE(decoded.data.empty()) << test.name;
        EXPECT_EQ(decoded.report.cellNs > 0, test.cellFound) << test.name;
    }
}

TEST(Crc16Test, GivesTheCheckValues)
{
    const struct {
        Bytes bytes;
        std::uint16_t crc;
    } cases[] = {
        {{'1', '2', '3', '4', '5', '6', '7', '8', '9'}, 0x29B1},
        {{0xA1, 0xA1, 0xA1, 0xFE, 0x00, 0x00, 0x01, 0x03}, 0xDA4E},
        {Concat({{0xA1, 0xA1, 0xA1, 0xFB}, Bytes(1024, 0x00)}), 0x2722},
        {Concat({{0xA1, 0xA1, 0xA1, 0xFB}, Bytes(1024, 0xE5)}), 0x1B30},
        {{0xFE, 0x00, 0x00, 0x01, 0x00}, 0xD2C3},
    };
    for (const auto& test : cases) {
        const std::uint16_t crc = UpdateCrc16(Crc16Preset, test.bytes.data(), test.bytes.size());
        EXPECT_EQ(crc, test.crc);
        const Bytes stored = {static_cast<std::uint8_t>(crc >> 8), static_cast<std::uint8_t>(crc)};
        EXPECT_EQ(UpdateCrc16(crc, stored.data(), stored.size()), 0) << "field and its CRC";
    }
}

}  // namespace
