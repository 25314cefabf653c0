// Cells become flux: each transition's time follows the cell count before
// it, stretched by a slow sine of speed over the revolution and moved by
// Gaussian jitter; then some transitions are dropped or added, and the
// times are sampled at the flux sampler's tick. A revolution runs from
// one index pulse to the next and the stream runs on across the index,
// as an index-cued capture of several revolutions has it.
#include "FluxSynthesiser.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "SynthTrackCells.h"

namespace {

constexpr double HalfTurn = 3.14159265358979323846;
constexpr double NoiseShortest = 0.5;  // cells
constexpr double NoiseLongest = 6;

// splitmix64: the same numbers on every platform, unlike the standard
// library's distributions.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next()
    {
        std::uint64_t mixed = (state_ += 0x9E3779B97F4A7C15ULL);
        mixed = (mixed ^ (mixed >> 30)) * 0xBF58476D1CE4E5B9ULL;
        mixed = (mixed ^ (mixed >> 27)) * 0x94D049BB133111EBULL;
        return mixed ^ (mixed >> 31);
    }

    // In (0, 1].
    double Uniform() { return static_cast<double>((Next() >> 11) + 1) * 0x1.0p-53; }

    double Gaussian()
    {
        return std::sqrt(-2 * std::log(Uniform())) * std::cos(2 * HalfTurn * Uniform());
    }

    std::size_t Below(std::size_t count) { return static_cast<std::size_t>(Next() % count); }

private:
    std::uint64_t state_;
};

Random TrackRandom(const FluxSynthesis& synthesis, int trackIndex)
{
    return Random(synthesis.seed * 1000003 + static_cast<std::uint64_t>(trackIndex));
}

// The time of cell `cell` after the index, with the speed's swing.
double CellTimeNs(double cell, const FluxSynthesis& synthesis)
{
    if (synthesis.drift == 0) {
        return synthesis.cellNs * cell;
    }
    const auto cells = static_cast<double>(synthesis.cellsPerRevolution);
    const double swing =
        synthesis.drift * cells / (2 * HalfTurn) * (1 - std::cos(2 * HalfTurn * cell / cells));
    return synthesis.cellNs * (cell + swing);
}

std::vector<double> TransitionTimes(const std::vector<std::uint8_t>& cells,
                                    const FluxSynthesis& synthesis, Random& random)
{
    std::vector<double> times;
    for (std::size_t cell = 0; cell < cells.size(); ++cell) {
        if (cells[cell] != 0) {
            times.push_back(CellTimeNs(static_cast<double>(cell) + 0.5, synthesis) +
                            synthesis.jitterNs * random.Gaussian());
        }
    }
    for (int i = 0; i < synthesis.droppedTransitions && times.size() > 2; ++i) {
        times.erase(times.begin() +
                    static_cast<std::ptrdiff_t>(1 + random.Below(times.size() - 2)));
    }
    for (int i = 0; i < synthesis.extraTransitions && times.size() > 2; ++i) {
        const std::size_t after = 1 + random.Below(times.size() - 1);
        times.insert(times.begin() + static_cast<std::ptrdiff_t>(after),
                     (times[after - 1] + times[after]) / 2);
    }
    return times;
}

// Samples transition times (from the capture's start) into intervals.
class Sampler {
public:
    Sampler(double tickNs, double startNs) : tickNs_(tickNs), last_(Tick(startNs)) {}

    std::uint32_t IntervalTo(double timeNs)
    {
        const std::int64_t tick = Tick(timeNs);
        const std::int64_t interval =
            std::clamp<std::int64_t>(tick - last_, 1, std::numeric_limits<std::uint32_t>::max());
        last_ = tick;
        return static_cast<std::uint32_t>(interval);
    }

private:
    [[nodiscard]] std::int64_t Tick(double timeNs) const { return std::llround(timeNs / tickNs_); }

    double tickNs_;
    std::int64_t last_;
};

FluxTrack EmptyTrack(int trackIndex, const FluxSynthesis& synthesis)
{
    FluxTrack flux;
    flux.cylinder = trackIndex / 2;
    flux.head = trackIndex % 2;
    flux.tickNs = synthesis.tickNs;
    return flux;
}

double RevolutionNs(const FluxSynthesis& synthesis)
{
    return CellTimeNs(static_cast<double>(synthesis.cellsPerRevolution), synthesis);
}

// The last transition of a revolution, where the one before the capture
// left off.
double LastTransitionNs(const SynthTrack& track, const FluxSynthesis& synthesis)
{
    const std::vector<std::uint8_t> cells = SynthTrackCells(track, 0, synthesis);
    const auto last = std::find(cells.rbegin(), cells.rend(), 1);
    const auto cell = static_cast<double>(cells.rend() - last);
    return CellTimeNs(cell - 0.5, synthesis);
}

}  // namespace

std::vector<SynthTrack> SynthTracksOf(const D88ImageBuilder& disk)
{
    std::vector<SynthTrack> tracks;
    for (const auto& [trackIndex, sectors] : disk.Tracks()) {
        SynthTrack track;
        track.trackIndex = trackIndex;
        track.fm = !sectors.empty() && sectors.front().fm;
        for (const BuiltSector& built : sectors) {
            track.sectors.push_back(
                {built.c, built.h, built.r, built.n, built.data, built.deleted});
        }
        tracks.push_back(std::move(track));
    }
    return tracks;
}

FluxTrack SynthesiseTrack(const SynthTrack& track, const FluxSynthesis& synthesis)
{
    FluxTrack flux = EmptyTrack(track.trackIndex, synthesis);
    Random random = TrackRandom(synthesis, track.trackIndex);
    const double revolutionNs = RevolutionNs(synthesis);
    Sampler sampler(synthesis.tickNs, LastTransitionNs(track, synthesis) - revolutionNs);
    for (int revolution = 0; revolution < synthesis.revolutions; ++revolution) {
        const double startNs = revolution * revolutionNs;
        std::vector<std::uint32_t>& intervals = flux.revolutions.emplace_back();
        for (const double timeNs :
             TransitionTimes(SynthTrackCells(track, revolution, synthesis), synthesis, random)) {
            intervals.push_back(sampler.IntervalTo(startNs + timeNs));
        }
    }
    return flux;
}

FluxTrack SynthesiseNoise(int trackIndex, const FluxSynthesis& synthesis)
{
    FluxTrack flux = EmptyTrack(trackIndex, synthesis);
    Random random = TrackRandom(synthesis, trackIndex);
    const double revolutionNs = RevolutionNs(synthesis);
    Sampler sampler(synthesis.tickNs, 0);
    double timeNs = 0;
    for (int revolution = 0; revolution < synthesis.revolutions; ++revolution) {
        std::vector<std::uint32_t>& intervals = flux.revolutions.emplace_back();
        while (timeNs < (revolution + 1) * revolutionNs) {
            timeNs += synthesis.cellNs *
                      (NoiseShortest + (NoiseLongest - NoiseShortest) * random.Uniform());
            intervals.push_back(sampler.IntervalTo(timeNs));
        }
    }
    return flux;
}

SynthesisedFluxSource::SynthesisedFluxSource(std::vector<SynthTrack> tracks,
                                             FluxSynthesis synthesis)
    : tracks_(std::move(tracks)), synthesis_(std::move(synthesis))
{
}

int SynthesisedFluxSource::TrackLimit() const
{
    int limit = 0;
    for (const SynthTrack& track : tracks_) {
        limit = std::max(limit, track.trackIndex + 1);
    }
    for (const int noise : synthesis_.noiseTracks) {
        limit = std::max(limit, noise + 1);
    }
    return limit;
}

bool SynthesisedFluxSource::ReadTrack(int trackIndex, FluxTrack& track)
{
    const std::vector<int>& noise = synthesis_.noiseTracks;
    if (std::find(noise.begin(), noise.end(), trackIndex) != noise.end()) {
        track = SynthesiseNoise(trackIndex, synthesis_);
        return true;
    }
    for (const SynthTrack& synth : tracks_) {
        if (synth.trackIndex == trackIndex) {
            track = SynthesiseTrack(synth, synthesis_);
            return true;
        }
    }
    return false;
}

std::vector<FluxTrack> SynthesiseDisk(const D88ImageBuilder& disk, const FluxSynthesis& synthesis)
{
    std::vector<FluxTrack> tracks;
    for (const SynthTrack& track : SynthTracksOf(disk)) {
        tracks.push_back(SynthesiseTrack(track, synthesis));
    }
    return tracks;
}
