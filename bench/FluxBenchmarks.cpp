// Decoding a whole 2HD disk from flux: the title's disk A as 154 tracks of
// five revolutions at 360 rpm, with jitter and drift, handed over one track
// at a time as a dump's reader would. The flux is made once, on the first
// run, and held in memory in bytes (25 ns ticks of 1 us cells never reach
// 256) so that only the decoding is timed.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "Benchmarks.h"
#include "FluxSynthesiser.h"
#include "TitleDisks.h"
#include "flux/FluxDecoder.h"

namespace {

constexpr int Revolutions = 5;
constexpr std::size_t SectorsOnDisk = std::size_t{154} * 8;

class HeldFlux final : public FluxSource {
public:
    HeldFlux()
    {
        FluxSynthesis synthesis;
        synthesis.revolutions = Revolutions;
        synthesis.jitterNs = 50;
        synthesis.drift = 0.01;
        tickNs_ = synthesis.tickNs;
        SynthesisedFluxSource source(SynthTracksOf(MakeDiskA()), synthesis);
        FluxTrack track;
        for (int index = 0; index < source.TrackLimit(); ++index) {
            source.ReadTrack(index, track);
            std::vector<std::vector<std::uint8_t>>& held = tracks_.emplace_back();
            for (const std::vector<std::uint32_t>& revolution : track.revolutions) {
                fits_ = fits_ && std::all_of(revolution.begin(), revolution.end(),
                                             [](std::uint32_t ticks) { return ticks < 256; });
                held.emplace_back(revolution.begin(), revolution.end());
            }
        }
    }

    [[nodiscard]] bool Fits() const { return fits_; }

    [[nodiscard]] int TrackLimit() const override { return static_cast<int>(tracks_.size()); }

    bool ReadTrack(int trackIndex, FluxTrack& track) override
    {
        track.cylinder = trackIndex / 2;
        track.head = trackIndex % 2;
        track.tickNs = tickNs_;
        track.revolutions.clear();
        for (const std::vector<std::uint8_t>& revolution :
             tracks_[static_cast<std::size_t>(trackIndex)]) {
            track.revolutions.emplace_back(revolution.begin(), revolution.end());
        }
        return true;
    }

private:
    double tickNs_ = 0;
    bool fits_ = true;
    std::vector<std::vector<std::vector<std::uint8_t>>> tracks_;
};

std::size_t GoodSectors(const FluxDiskReport& report)
{
    std::size_t good = 0;
    for (const FluxTrackReport& track : report.tracks) {
        good += static_cast<std::size_t>(std::count_if(
            track.sectors.begin(), track.sectors.end(),
            [](const FluxSectorReport& sector) { return sector.fields.status == 0; }));
    }
    return good;
}

void DecodeDisk(benchmark::State& state)
{
    static HeldFlux flux;
    if (!flux.Fits()) {
        state.SkipWithError("an interval does not fit in a byte");
        return;
    }
    for (auto _ : state) {
        const FluxDisk disk = DecodeFluxDisk(flux);
        if (GoodSectors(disk.report) != SectorsOnDisk) {
            state.SkipWithError("not every sector was read right");
            break;
        }
        benchmark::DoNotOptimize(disk.image.data());
    }
}

}  // namespace

void RegisterFluxBenchmarks()
{
    benchmark::RegisterBenchmark("DecodeFluxDisk/2HD_154_tracks_5_revolutions", DecodeDisk)
        ->Unit(benchmark::kMillisecond);
}
