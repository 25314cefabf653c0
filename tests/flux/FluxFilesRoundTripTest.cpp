// Seeded flux written in each dump format reads back as it was written:
// exactly, in ticks, where the format keeps ticks; within one cell where it
// keeps cells. The layouts writers choose (heads, table placement, sibling
// files) must not matter.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <random>

#include "FluxFileWriters.h"
#include "LittleEndian.h"
#include "ScratchDirectory.h"

namespace {

constexpr double KryofluxTickNs = 1e9 / 24027428.5714285;

// Intervals of minCells..4 cells of 1 us with jitter, now and then a gap of
// up to 5 ms, so that long intervals need overflow entries.
std::vector<FluxTrack> RandomTracks(std::uint32_t seed, double tickNs,
                                    const std::vector<int>& heads, int minCells = 2)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> length(400, 800);
    std::uniform_int_distribution<int> cells(minCells, 4);
    std::uniform_real_distribution<double> jitterNs(-100, 100);
    std::uniform_real_distribution<double> gapNs(70e3, 5e6);
    std::bernoulli_distribution gap(0.005);
    std::vector<FluxTrack> tracks;
    for (int cylinder = 0; cylinder < 3; ++cylinder) {
        for (const int head : heads) {
            FluxTrack track{cylinder, head, tickNs, std::vector<std::vector<std::uint32_t>>(2)};
            for (std::vector<std::uint32_t>& revolution : track.revolutions) {
                for (int k = length(random); k > 0; --k) {
                    const double nanoseconds =
                        gap(random) ? gapNs(random) : cells(random) * 1000 + jitterNs(random);
                    const auto ticks =
                        static_cast<std::uint32_t>(std::lround(nanoseconds / tickNs));
                    revolution.push_back(ticks + (ticks % 0x10000 == 0 ? 1 : 0));
                }
            }
            tracks.push_back(track);
        }
    }
    return tracks;
}

// A dump opened with all it reads from.
struct Opened {
    std::unique_ptr<ByteSource> bytes;
    std::unique_ptr<ScratchDirectory> folder;
    std::unique_ptr<FluxSource> source;
};

Opened OpenScpBytes(Bytes bytes)
{
    Opened opened{std::make_unique<MemoryByteSource>(std::move(bytes)), nullptr, nullptr};
    opened.source = OpenScp(*opened.bytes);
    return opened;
}

Opened OpenHfeBytes(Bytes bytes)
{
    Opened opened{std::make_unique<MemoryByteSource>(std::move(bytes)), nullptr, nullptr};
    opened.source = OpenHfe(*opened.bytes);
    return opened;
}

std::map<int, FluxTrack> ReadAll(FluxSource& source)
{
    std::map<int, FluxTrack> tracks;
    for (int index = 0; index < source.TrackLimit(); ++index) {
        FluxTrack track;
        if (source.ReadTrack(index, track)) {
            EXPECT_EQ(track.cylinder * 2 + track.head, index);
            tracks[index] = track;
        }
    }
    return tracks;
}

// Every written track, and no other, reads back: the same ticks, or in HFE
// (cellNs set) the first revolution within one cell.
void ExpectReadBack(FluxSource& source, const std::vector<FluxTrack>& written, double cellNs = 0)
{
    const std::map<int, FluxTrack> read = ReadAll(source);
    ASSERT_EQ(read.size(), written.size());
    for (const FluxTrack& track : written) {
        const auto found = read.find(track.cylinder * 2 + track.head);
        ASSERT_NE(found, read.end()) << "track " << track.cylinder << "." << track.head;
        const FluxTrack& got = found->second;
        if (cellNs == 0) {
            EXPECT_NEAR(got.tickNs, track.tickNs, track.tickNs * 1e-9);
            EXPECT_EQ(got.revolutions, track.revolutions);
            continue;
        }
        EXPECT_DOUBLE_EQ(got.tickNs, cellNs);
        ASSERT_EQ(got.revolutions.size(), 1U);
        ASSERT_EQ(got.revolutions[0].size(), track.revolutions[0].size());
        for (std::size_t k = 0; k < got.revolutions[0].size(); ++k) {
            EXPECT_NEAR(got.revolutions[0][k] * cellNs, track.revolutions[0][k] * track.tickNs,
                        cellNs)
                << "interval " << k;
        }
    }
}

struct RoundTrip {
    const char* name;
    double tickNs;
    int minCells;
    std::function<Opened(const std::vector<FluxTrack>&)> writeAndOpen;
    double hfeCellNs;
};

std::vector<RoundTrip> RoundTrips()
{
    return {
        {"SCP", 25, 2, [](const auto& tracks) { return OpenScpBytes(WriteScp(tracks)); }, 0},
        {"HFE v1", 25, 2, [](const auto& tracks) { return OpenHfeBytes(WriteHfe(tracks, 1)); },
         1000},
        {"HFE v3", 25, 2, [](const auto& tracks) { return OpenHfeBytes(WriteHfe(tracks, 3)); },
         1000},
        // Runs of 1-cell intervals read as opcodes unless escaped.
        {"HFE v3, opcode-like cells", 25, 1,
         [](const auto& tracks) { return OpenHfeBytes(WriteHfe(tracks, 3)); }, 1000},
        {"HFE v1 at 250 kbit/s", 25, 2,
         [](const auto& tracks) { return OpenHfeBytes(WriteHfe(tracks, 1, 250)); }, 2000},
        {"KryoFlux streams in memory", KryofluxTickNs, 2,
         [](const auto& tracks) {
             return Opened{nullptr, nullptr, OpenKryofluxStreams(WriteKryofluxStreams(tracks))};
         },
         0},
        {"KryoFlux stream files", KryofluxTickNs, 2,
         [](const auto& tracks) {
             Opened opened;
             opened.folder = std::make_unique<ScratchDirectory>();
             EXPECT_TRUE(WriteKryofluxFolder(tracks, opened.folder->Path()));
             opened.source = OpenKryofluxStream(opened.folder->Path() / "track01.1.raw");
             return opened;
         },
         0},
    };
}

TEST(FluxFiles, WrittenFluxReadsBack)
{
    for (const RoundTrip& trip : RoundTrips()) {
        SCOPED_TRACE(trip.name);
        std::vector<FluxTrack> tracks = RandomTracks(7, trip.tickNs, {0, 1}, trip.minCells);
        if (trip.hfeCellNs != 0) {
            // Cells of 1 us hold the MFM intervals; 2 us cells would merge them.
            for (FluxTrack& track : tracks) {
                for (std::uint32_t& interval : track.revolutions[0]) {
                    interval *= static_cast<std::uint32_t>(trip.hfeCellNs / 1000);
                }
            }
        }
        const Opened opened = trip.writeAndOpen(tracks);
        ASSERT_NE(opened.source, nullptr);
        EXPECT_EQ(opened.source->TrackLimit(), 6);
        ExpectReadBack(*opened.source, tracks, trip.hfeCellNs);
    }
}

// Single-sided tracks take every other table entry, or consecutive ones.
struct ScpLayout {
    const char* name;
    std::vector<int> heads;
    ScpWriteOptions options;
    std::uint8_t headsByte;
    std::uint8_t lastEntry;
    std::uint32_t firstTrackAt;  // of entry 0, when there is one
};

std::vector<ScpLayout> ScpLayouts()
{
    return {
        {"both heads, as Greaseweazle writes", {0, 1}, {}, 0, 5, 0x564},
        {"both heads, no extension block or footer", {0, 1}, {0, false, false, false}, 0, 5, 0x2B0},
        {"head 0 only", {0}, {}, 1, 4, 0x564},
        {"head 1 only", {1}, {0, false, false, true}, 2, 5, 0},
        {"head 0 only, consecutive entries", {0}, {0, true, true, true}, 1, 2, 0x564},
        {"head 1 only, consecutive entries", {1}, {0, true, false, false}, 2, 2, 0x2B0},
        {"50 ns ticks", {0, 1}, {1, false, true, true}, 0, 5, 0x564},
        {"125 ns ticks", {0, 1}, {4, false, false, true}, 0, 5, 0x2B0},
    };
}

TEST(FluxFiles, ScpLayoutsReadBack)
{
    for (const ScpLayout& layout : ScpLayouts()) {
        SCOPED_TRACE(layout.name);
        const double tickNs = 25.0 * (layout.options.resolution + 1);
        const std::vector<FluxTrack> tracks = RandomTracks(11, tickNs, layout.heads);
        const Bytes image = WriteScp(tracks, layout.options);
        EXPECT_EQ(image[0x07], layout.lastEntry);
        EXPECT_EQ(image[0x0A], layout.headsByte);
        EXPECT_EQ(DecodeLe32(&image[0x10]), layout.firstTrackAt);
        const Opened opened = OpenScpBytes(image);
        ASSERT_NE(opened.source, nullptr);
        EXPECT_EQ(opened.source->TrackLimit(), 5 + layout.heads.back());
        ExpectReadBack(*opened.source, tracks);
    }
}

// A table said to run to entry 255 ends where the first track starts.
TEST(FluxFiles, ScpTableEndsAtTheFirstTrack)
{
    const std::vector<FluxTrack> tracks = RandomTracks(3, 25, {0, 1});
    Bytes image = WriteScp(tracks, {0, false, false, false});
    image[0x07] = 0xFF;
    const Opened opened = OpenScpBytes(image);
    ASSERT_NE(opened.source, nullptr);
    EXPECT_EQ(opened.source->TrackLimit(), 6);
    ExpectReadBack(*opened.source, tracks);
}

// Siblings are found by name; missing ones are missing tracks, and a
// stream with no such name is track 0 alone.
TEST(FluxFiles, KryofluxSiblings)
{
    const std::vector<FluxTrack> tracks = RandomTracks(5, KryofluxTickNs, {0, 1});
    const ScratchDirectory folder;
    ASSERT_TRUE(WriteKryofluxFolder(tracks, folder.Path()));
    ASSERT_TRUE(WriteKryofluxFolder({tracks[1]}, folder.Path(), "other"));
    std::filesystem::remove(folder.Path() / "track01.0.raw");
    std::filesystem::remove(folder.Path() / "track02.1.raw");
    std::filesystem::copy_file(folder.Path() / "track02.0.raw", folder.Path() / "single.raw");

    const std::unique_ptr<FluxSource> set = OpenKryofluxStream(folder.Path() / "track00.1.raw");
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->TrackLimit(), 5);
    ExpectReadBack(*set, {tracks[0], tracks[1], tracks[3], tracks[4]});

    const std::unique_ptr<FluxSource> single = OpenKryofluxStream(folder.Path() / "single.raw");
    ASSERT_NE(single, nullptr);
    EXPECT_EQ(single->TrackLimit(), 1);
    FluxTrack read;
    ASSERT_TRUE(single->ReadTrack(0, read));
    EXPECT_EQ(read.revolutions, tracks[4].revolutions);

    std::vector<NamedBytes> files = WriteKryofluxStreams(tracks);
    files.erase(files.begin() + 2);
    files.insert(files.begin(), {"notes.txt", {'h', 'i'}});
    files.push_back(WriteKryofluxStreams({tracks[5]}, "other").front());
    files.back().name = "other01.0.raw";
    const std::unique_ptr<FluxSource> memory = OpenKryofluxStreams(files);
    ASSERT_NE(memory, nullptr);
    ExpectReadBack(*memory, {tracks[0], tracks[1], tracks[3], tracks[4], tracks[5]});
}

}  // namespace
