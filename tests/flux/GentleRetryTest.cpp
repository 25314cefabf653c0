// A track whose sectors the standard PLL misses is read again through the
// gentler one: what that pass reads right fills the sectors the first pass
// did not, and leaves the others' data and counts as they were.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "FluxSynthesiser.h"
#include "flux/FluxDecoder.h"

namespace {

constexpr int Revolutions = 5;
constexpr std::size_t Sectors = 8;

SynthTrack EightSectors()
{
    SynthTrack track{4, false, {}};
    for (std::uint8_t r = 1; r <= Sectors; ++r) {
        track.sectors.push_back({2, 0, r, 3, PatternBytes(1024, r), false});
    }
    return track;
}

struct RetryCase {
    std::string name;
    double jitterNs;
    double drift;
    std::vector<SectorDamage> damage;
    std::size_t good;  // sectors read right
    int mostIdReads;   // more than the revolutions: the second pass's reads count
};

TEST(GentleRetryTest, FillsTheSectorsTheFirstPassMissed)
{
    // The standard loop alone reads none of the sectors right at jitter
    // 110 ns and drift 5 %.
    const RetryCase cases[] = {
        {"clean", 0, 0, {}, Sectors, Revolutions},
        {"one sector bad in every revolution",
         40,
         0.01,
         {{4, 2, SectorFault::CorruptData, {}}},
         Sectors - 1,
         Revolutions},
        {"jitter 110 ns, drift 5 %", 110, 0.05, {}, Sectors, 2 * Revolutions},
    };
    const SynthTrack written = EightSectors();
    for (const RetryCase& test : cases) {
        SCOPED_TRACE(test.name);
        FluxSynthesis synthesis;
        synthesis.revolutions = Revolutions;
        synthesis.jitterNs = test.jitterNs;
        synthesis.drift = test.drift;
        synthesis.damage = test.damage;
        const DecodedFluxTrack decoded = DecodeFluxTrack(SynthesiseTrack(written, synthesis), 4);
        ASSERT_EQ(decoded.report.sectors.size(), Sectors);
        std::size_t good = 0;
        auto data = decoded.data.begin();
        for (const FluxSectorReport& sector : decoded.report.sectors) {
            const Bytes& expected = written.sectors[sector.fields.r - 1U].data;
            if (sector.goodReads > 0) {
                ++good;
                EXPECT_TRUE(std::equal(expected.begin(), expected.end(), data))
                    << "R " << int{sector.fields.r};
            }
            data += static_cast<std::ptrdiff_t>(sector.dataSize);
            EXPECT_LE(sector.idReads, test.mostIdReads) << "R " << int{sector.fields.r};
        }
        EXPECT_EQ(good, test.good);
    }
}

}  // namespace
