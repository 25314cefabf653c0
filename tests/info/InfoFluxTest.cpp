// d88info on flux dumps: each track's line and numbers, and the sectors
// that read right in only some revolutions, or in none.
#include <gtest/gtest.h>

#include <functional>
#include <nlohmann/json.hpp>
#include <string>

#include "FluxFileWriters.h"
#include "FluxSynthesiser.h"
#include "InfoRun.h"

namespace {

using nlohmann::json;

// Two tracks of eight 1,024-byte sectors, R 1-8, read in three revolutions
// of a 2HD disk at 360 rpm.
constexpr int Revolutions = 3;

D88ImageBuilder TwoTracks()
{
    D88ImageBuilder disk;
    return disk.Track(0, UniformTrack(0)).Track(1, UniformTrack(1));
}

// Writes the dump into the sandbox; returns the name to give d88info.
using DumpWriter = std::function<std::string(InfoSandbox&, const std::vector<FluxTrack>&)>;

std::string AddScp(InfoSandbox& sandbox, const std::vector<FluxTrack>& tracks)
{
    return sandbox.Add(WriteScp(tracks), "dump.scp");
}

std::string AddKryoflux(InfoSandbox& sandbox, const std::vector<FluxTrack>& tracks)
{
    for (const NamedBytes& file : WriteKryofluxStreams(tracks, "dump")) {
        sandbox.Add(file.bytes, file.name);
    }
    return "dump00.0.raw";
}

std::string AddHfe(InfoSandbox& sandbox, const std::vector<FluxTrack>& tracks)
{
    return sandbox.Add(WriteHfe(tracks, 1), "dump.hfe");
}

TEST(InfoFlux, EachTrackSaysHowWellItsSectorsRead)
{
    const SectorDamage weakR3{1, 2, SectorFault::CorruptData, {1}};
    const SectorDamage badR5{1, 4, SectorFault::CorruptData, {}};
    const SectorDamage noMarkR8{1, 7, SectorFault::LostDataMark, {}};
    const struct {
        const char* what;
        DumpWriter write;
        std::vector<SectorDamage> damage;
        const char* format;
        int revolutions;
        std::vector<int> goodReads;  // track 1's sectors, R 1 to 8
        const char* summary;
        const char* track1Tail;  // after "cell ... rpm  "
    } cases[] = {
        {"clean SCP",
         AddScp,
         {},
         "SCP",
         3,
         {3, 3, 3, 3, 3, 3, 3, 3},
         "2 tracks read, 0 weak sectors, 0 sectors never read right",
         "8 sectors"},
        {"SCP, R 3 spoilt in one revolution, R 5 in all, R 8's data mark lost",
         AddScp,
         {weakR3, badR5, noMarkR8},
         "SCP",
         3,
         {3, 3, 2, 3, 0, 3, 3, 0},
         "2 tracks read, 1 weak sector, 2 sectors never read right",
         "8 sectors  weak R 3 (2/3)  bad R 5 (0/3), R 8 (0/3)"},
        {"KryoFlux streams, R 3 spoilt in one revolution",
         AddKryoflux,
         {weakR3},
         "KryoFlux",
         3,
         {3, 3, 2, 3, 3, 3, 3, 3},
         "2 tracks read, 1 weak sector, 0 sectors never read right",
         "8 sectors  weak R 3 (2/3)"},
        // HFE keeps one revolution: the one R 3 was spoilt in is gone.
        {"HFE",
         AddHfe,
         {weakR3, badR5},
         "HFE",
         1,
         {1, 1, 1, 1, 0, 1, 1, 1},
         "2 tracks read, 0 weak sectors, 1 sector never read right",
         "8 sectors  bad R 5 (0/1)"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        FluxSynthesis synthesis;
        synthesis.revolutions = Revolutions;
        synthesis.damage = test.damage;
        InfoSandbox sandbox;
        const std::string name = test.write(sandbox, SynthesiseDisk(TwoTracks(), synthesis));

        const ProgramRun text = sandbox.RunInfo({name});
        ASSERT_EQ(text.exitStatus, 0) << text.err;
        EXPECT_NE(text.out.find("\nFlux:          " + std::string(test.summary) + "\n"),
                  std::string::npos)
            << text.out;
        const std::string track1 = "\n    1  " + std::to_string(test.revolutions) +
                                   (test.revolutions == 1 ? " revolution" : " revolutions") +
                                   "  cell 1000.0 ns  360.0 rpm  " + test.track1Tail + "\n";
        EXPECT_NE(text.out.find(track1), std::string::npos) << track1 << text.out;

        const json report = json::parse(sandbox.RunInfo({"--json", name}).out)[0];
        EXPECT_EQ(report["format"], test.format);
        const json& tracks = report["flux"]["tracks"];
        ASSERT_EQ(tracks.size(), 2U);
        for (const json& track : tracks) {
            EXPECT_EQ(track["revolutions"], test.revolutions);
            EXPECT_NEAR(track["cell_ns"].get<double>(), 1000, 10);
            EXPECT_NEAR(track["revolution_ns"].get<double>(), 166.667e6, 0.2e6);
            EXPECT_NEAR(track["cells_per_revolution"].get<double>(), 166667, 200);
            EXPECT_EQ(track["id_crc_errors"], 0);
        }
        const json& sectors = tracks[1]["sectors"];
        ASSERT_EQ(sectors.size(), test.goodReads.size());
        for (std::size_t k = 0; k < sectors.size(); ++k) {
            const json& sector = sectors[k];
            const int good = test.goodReads[k];
            const bool noMark = k == 7 && good == 0;
            EXPECT_EQ(sector["r"], k + 1);
            EXPECT_EQ(sector["good_reads"], good) << "R " << k + 1;
            EXPECT_EQ(sector["id_reads"], test.revolutions);
            EXPECT_EQ(sector["data_reads"], noMark ? 0 : test.revolutions);
            EXPECT_EQ(sector["status"], good > 0 ? 0x00 : noMark ? 0xF0 : 0xB0);
        }
    }
}

}  // namespace
