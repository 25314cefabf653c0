// Two tracks decoded together, their PLLs side by side, give what each gives
// decoded alone, whichever is longer, whatever their revolutions and
// encodings, and when one has nothing to clock.
#include <gtest/gtest.h>

#include <string>

#include "FluxSynthesiser.h"
#include "flux/FluxDecoder.h"

namespace {

FluxTrack FourSectors(bool fmTrack, const FluxSynthesis& synthesis)
{
    SynthTrack track{0, fmTrack, {}};
    for (std::uint8_t r = 1; r <= 4; ++r) {
        track.sectors.push_back({0, 0, r, 2, PatternBytes(512, r), false});
    }
    return SynthesiseTrack(track, synthesis);
}

void ExpectSame(const DecodedFluxTrack& together, const DecodedFluxTrack& alone)
{
    const FluxTrackReport& report = together.report;
    EXPECT_EQ(report.trackIndex, alone.report.trackIndex);
    EXPECT_EQ(report.cellNs, alone.report.cellNs);
    EXPECT_EQ(report.cellsPerRevolution, alone.report.cellsPerRevolution);
    EXPECT_EQ(report.idCrcErrors, alone.report.idCrcErrors);
    ASSERT_EQ(report.sectors.size(), alone.report.sectors.size());
    for (std::size_t i = 0; i < report.sectors.size(); ++i) {
        EXPECT_EQ(report.sectors[i].fields.r, alone.report.sectors[i].fields.r);
        EXPECT_EQ(report.sectors[i].fields.status, alone.report.sectors[i].fields.status);
        EXPECT_EQ(report.sectors[i].idReads, alone.report.sectors[i].idReads);
        EXPECT_EQ(report.sectors[i].goodReads, alone.report.sectors[i].goodReads);
    }
    EXPECT_EQ(together.data, alone.data);
}

TEST(FluxTrackPairTest, DecodesEachTrackAsAlone)
{
    FluxSynthesis five;
    five.revolutions = 5;
    five.jitterNs = 60;
    five.drift = 0.02;
    FluxSynthesis two;
    two.cellNs = 1200;
    two.jitterNs = 80;
    const FluxTrack mfm = FourSectors(false, five);
    const FluxTrack shorter = FourSectors(false, two);
    const FluxTrack fmFlux = FourSectors(true, two);
    FluxTrack twoOfFive = mfm;  // ends as the other reaches a revolution's start
    twoOfFive.revolutions.resize(2);
    FluxTrack emptyRevolution = mfm;
    emptyRevolution.revolutions[1].clear();
    const FluxTrack noise = SynthesiseNoise(0, two);
    const FluxTrack nothing{0, 0, 25, {}};
    const struct {
        std::string name;
        const FluxTrack& first;
        const FluxTrack& second;
        std::size_t sectors;  // in both tracks
    } cases[] = {
        {"longer first", mfm, shorter, 8},
        {"fewer revolutions", twoOfFive, mfm, 8},
        {"longer second", shorter, mfm, 8},
        {"FM and MFM", fmFlux, mfm, 8},
        {"an empty revolution", emptyRevolution, mfm, 8},
        {"noise", noise, mfm, 4},
        {"nothing to clock", nothing, mfm, 4},
        {"nothing in either", nothing, nothing, 0},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        const auto together = DecodeFluxTracks(test.first, 1, test.second, 2);
        ExpectSame(together.first, DecodeFluxTrack(test.first, 1));
        ExpectSame(together.second, DecodeFluxTrack(test.second, 2));
        EXPECT_EQ(together.first.report.sectors.size() + together.second.report.sectors.size(),
                  test.sectors);
    }
}

}  // namespace
