// Disks written as flux and decoded back give the D88 image the disk was
// built as, byte for byte, whatever the drive's speed, jitter or drift, and
// the report measures the cell and the revolution the flux was made with.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>

#include "FluxSynthesiser.h"
#include "TitleDisks.h"
#include "flux/FluxDecoder.h"

namespace {

struct DiskCase {
    std::string name;
    std::function<D88ImageBuilder()> disk;
    FluxSynthesis drive;  // the drive and media the flux is made for
};

FluxSynthesis Drive(double cellNs, int revolutions, double jitterNs, double drift)
{
    FluxSynthesis synthesis;
    synthesis.cellNs = cellNs;
    synthesis.revolutions = revolutions;
    synthesis.jitterNs = jitterNs;
    synthesis.drift = drift;
    return synthesis;
}

D88ImageBuilder SomeTracks(D88ImageBuilder disk, const std::vector<int>& kept)
{
    const D88ImageBuilder whole = disk;
    for (const auto& entry : whole.Tracks()) {
        if (std::find(kept.begin(), kept.end(), entry.first) == kept.end()) {
            disk.RemoveTrack(entry.first);
        }
    }
    return disk;
}

// N88-BASIC's layout: C0 H0 FM 26 x 128, the rest MFM 26 x 256.
D88ImageBuilder N88BasicDisk()
{
    D88ImageBuilder disk;
    std::vector<BuiltSector> fmTrack = UniformTrack(0, 26, 0);
    for (BuiltSector& sector : fmTrack) {
        sector.fm = true;
    }
    disk.Track(0, fmTrack);
    for (const int track : {1, 2, 153}) {
        disk.Track(track, UniformTrack(track, 26, 1));
    }
    return disk;
}

// Every sector's data zero, as on a freshly formatted disk: the run of two
// cells is then rarer than that of four in FM, and commonest in MFM.
D88ImageBuilder ZeroFilled(D88ImageBuilder disk)
{
    const D88ImageBuilder whole = disk;
    for (const auto& entry : whole.Tracks()) {
        for (BuiltSector& sector : disk.SectorsOf(entry.first)) {
            std::fill(sector.data.begin(), sector.data.end(), 0);
        }
    }
    return disk;
}

// 8 x 512 at 250 kbit/s; 2DD when a track lies on cylinder 42 or past it,
// as every format tells it.
D88ImageBuilder DoubleDensityDisk(std::uint8_t media, const std::vector<int>& tracks)
{
    D88ImageBuilder disk;
    disk.MediaType(media);
    for (const int track : tracks) {
        disk.Track(track, UniformTrack(track, 8, 2));
    }
    return disk;
}

std::vector<DiskCase> Cases()
{
    const std::vector<int> few{0, 1, 76, 153};
    FluxSynthesis kryoflux = Drive(1000, 3, 50, 0.01);
    kryoflux.tickNs = 1e9 / (18432000.0 * 73 / 14 / 4);
    FluxSynthesis flawed = Drive(1000, 5, 40, 0.01);
    flawed.droppedTransitions = 1;
    flawed.extraTransitions = 1;
    FluxSynthesis noise = Drive(1000, 2, 0, 0);
    noise.noiseTracks = {1};
    FluxSynthesis doubleDensity = Drive(2000, 2, 80, 0.01);
    doubleDensity.cellsPerRevolution = 100000;
    return {
        {"DiskA_360rpm", MakeDiskA, Drive(1000, 2, 0, 0)},
        {"DiskB_300rpm_jitter_drift", MakeDiskB, Drive(1200, 2, 70, 0.02)},
        {"Drive3PercentFast", [few] { return SomeTracks(MakeDiskA(), few); },
         Drive(970, 2, 60, 0.02)},
        {"Drive3PercentSlow", [few] { return SomeTracks(MakeDiskB(), few); },
         Drive(1030, 2, 60, 0.02)},
        {"KryoFluxClock", [few] { return SomeTracks(MakeDiskA(), few); }, kryoflux},
        {"DroppedAndExtraTransitions", [few] { return SomeTracks(MakeDiskA(), few); }, flawed},
        {"NoiseTrack",
         [] {
             return SomeTracks(MakeDiskA(), {0, 2});
         },
         noise},
        {"N88Basic_FmTrack0", N88BasicDisk, Drive(1000, 2, 50, 0.01)},
        {"N88Basic_ZeroFilled", [] { return ZeroFilled(N88BasicDisk()); },
         Drive(1200, 2, 50, 0.01)},
        {"TwoDD",
         [] {
             return DoubleDensityDisk(d88::Media2DD, {0, 1, 100, 159});
         },
         doubleDensity},
        {"TwoD",
         [] {
             return DoubleDensityDisk(d88::Media2D, {0, 1, 78, 79});
         },
         doubleDensity},
        {"TwoDD_FirstCylinderPast2D",
         [] {
             return DoubleDensityDisk(d88::Media2DD, {0, 84});
         },
         doubleDensity},
    };
}

std::string CaseName(const testing::TestParamInfo<DiskCase>& info)
{
    return info.param.name;
}

void PrintTo(const DiskCase& test, std::ostream* out)
{
    *out << test.name;
}

class FluxDiskTest : public testing::TestWithParam<DiskCase> {};

// Every sector is read right in some revolution; each flaw of the flux
// spoils at most the one sector it falls in, in that revolution.
void ExpectTrackReport(const FluxTrackReport& track, const FluxSynthesis& synthesis)
{
    SCOPED_TRACE("track " + std::to_string(track.trackIndex));
    const auto cells = static_cast<double>(synthesis.cellsPerRevolution);
    EXPECT_EQ(track.revolutions, synthesis.revolutions);
    EXPECT_NEAR(track.cellNs, synthesis.cellNs, synthesis.cellNs * 0.01);
    EXPECT_NEAR(track.cellsPerRevolution, cells, cells * 0.001);
    EXPECT_NEAR(track.revolutionNs, cells * synthesis.cellNs, cells * synthesis.cellNs * 0.001);
    int spoiled = 0;
    for (const FluxSectorReport& sector : track.sectors) {
        EXPECT_EQ(sector.idReads, synthesis.revolutions);
        spoiled += synthesis.revolutions - sector.goodReads;
    }
    EXPECT_LE(spoiled,
              (synthesis.droppedTransitions + synthesis.extraTransitions) * synthesis.revolutions);
}

TEST_P(FluxDiskTest, DecodesToTheDiskWritten)
{
    const DiskCase& test = GetParam();
    D88ImageBuilder disk = test.disk();
    const FluxSynthesis& synthesis = test.drive;
    SynthesisedFluxSource source(SynthTracksOf(disk), synthesis);
    const FluxDisk decoded = DecodeFluxDisk(source);

    for (const int noise : synthesis.noiseTracks) {
        disk.RemoveTrack(noise);
    }
    const Bytes expected = disk.Name("").Build();
    ASSERT_EQ(decoded.image.size(), expected.size());
    const auto differ = std::mismatch(expected.begin(), expected.end(), decoded.image.begin());
    EXPECT_EQ(differ.first - expected.begin(), static_cast<std::ptrdiff_t>(expected.size()))
        << "first differing byte";
    EXPECT_EQ(decoded.report.mediaType, disk.GetMediaType());
    ASSERT_EQ(decoded.report.tracks.size(), disk.Tracks().size() + synthesis.noiseTracks.size());
    for (const FluxTrackReport& track : decoded.report.tracks) {
        if (std::find(synthesis.noiseTracks.begin(), synthesis.noiseTracks.end(),
                      track.trackIndex) == synthesis.noiseTracks.end()) {
            ExpectTrackReport(track, synthesis);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Drives, FluxDiskTest, testing::ValuesIn(Cases()), CaseName);

}  // namespace
