// Every encoding of an IBM-style track writes runs of two cells most or
// nearly most often (MFM 2/3/4 cells, FM 2/4 cells of half its own cell),
// so the shortest strong peak of the interval histogram is two cells. The
// histogram's bins grow with the interval, one per 1.1 %, so every rate has
// the same resolution. The peak's estimate is then refined over all the
// intervals it explains. A track's intervals take a few hundred distinct
// tick values, so what depends on a value alone (its bin, its run of cells)
// is worked out once per value, not once per interval.
#include "CellTime.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

constexpr double LowestNs = 2 * MinCellNs;
constexpr double BinsPerOctave = 64;
// Six octaves: up to 64 x LowestNs, past four of the longest cells.
constexpr std::size_t BinCount = 6 * std::size_t{64};
constexpr std::size_t SmoothReach = 3;  // bins either side: about 3.3 % of the interval
// A peak this far below the tallest still counts: all-zero FM data makes
// its two-cell peak about half as tall as its four-cell one.
constexpr std::uint64_t PeakFraction = 8;
constexpr double PeakWidth = 0.15;
constexpr double RunTolerance = 0.25;
constexpr double LongestRun = 8;

using Histogram = std::array<std::uint64_t, BinCount>;

// The first intervals of the track: more than a revolution of 2HD holds
// (at most 83,333), so drift within a revolution averages out.
constexpr std::size_t SampledIntervals = 100000;

// Tick values below this are looked up in tables; a longer interval, which
// only a dump with a very fine clock has, is worked out on its own.
constexpr std::size_t MostTabledTicks = std::size_t{1} << 16;

template <typename Visit>
void ForEachInterval(const FluxTrack& track, Visit visit)
{
    std::size_t left = SampledIntervals;
    for (const std::vector<std::uint32_t>& revolution : track.revolutions) {
        const std::size_t count = std::min(left, revolution.size());
        for (std::size_t i = 0; i < count; ++i) {
            visit(revolution[i]);
        }
        left -= count;
    }
}

// The size of a table indexed by tick value that holds every interval up to
// `longestNs`.
std::size_t TickTableSize(const FluxTrack& track, double longestNs)
{
    const double ticks = std::floor(longestNs / track.tickNs) + 1;
    return static_cast<std::size_t>(std::min(ticks, static_cast<double>(MostTabledTicks)));
}

double BinCentreNs(std::size_t bin)
{
    return LowestNs * std::exp2((static_cast<double>(bin) + 0.5) / BinsPerOctave);
}

void AddToBin(Histogram& counts, double intervalNs, std::uint64_t times)
{
    const double place = std::log2(intervalNs / LowestNs) * BinsPerOctave;
    if (place >= 0 && place < static_cast<double>(BinCount)) {
        counts[static_cast<std::size_t>(place)] += times;
    }
}

std::size_t SampledCount(const FluxTrack& track)
{
    std::size_t count = 0;
    for (const std::vector<std::uint32_t>& revolution : track.revolutions) {
        count += revolution.size();
    }
    return std::min(count, SampledIntervals);
}

Histogram CountedIntervals(const FluxTrack& track)
{
    const double longestNs = LowestNs * std::exp2(static_cast<double>(BinCount) / BinsPerOctave);
    const std::size_t tableSize = TickTableSize(track, longestNs);
    Histogram counts{};
    // A fine clock makes a table of up to 64 K values: a track of fewer
    // intervals than that bins each of them on its own.
    if (SampledCount(track) < tableSize) {
        ForEachInterval(track,
                        [&](std::uint32_t ticks) { AddToBin(counts, ticks * track.tickNs, 1); });
        return counts;
    }
    std::vector<std::uint32_t> perTickValue(tableSize);
    ForEachInterval(track, [&](std::uint32_t ticks) {
        if (ticks < perTickValue.size()) {
            ++perTickValue[ticks];
        } else {
            AddToBin(counts, ticks * track.tickNs, 1);
        }
    });
    for (std::size_t ticks = 0; ticks < perTickValue.size(); ++ticks) {
        if (perTickValue[ticks] != 0) {
            AddToBin(counts, static_cast<double>(ticks) * track.tickNs, perTickValue[ticks]);
        }
    }
    return counts;
}

Histogram SmoothedHistogram(const FluxTrack& track)
{
    const Histogram counts = CountedIntervals(track);
    // The sum of the bins within reach, slid along one bin at a time.
    std::uint64_t window = 0;
    for (std::size_t bin = 0; bin < SmoothReach; ++bin) {
        window += counts[bin];
    }
    Histogram smoothed{};
    for (std::size_t bin = 0; bin < BinCount; ++bin) {
        if (bin + SmoothReach < BinCount) {
            window += counts[bin + SmoothReach];
        }
        smoothed[bin] = window;
        if (bin >= SmoothReach) {
            window -= counts[bin - SmoothReach];
        }
    }
    return smoothed;
}

// The shortest local maximum at least 1/PeakFraction of the tallest.
std::optional<std::size_t> ShortestStrongPeak(const Histogram& smoothed)
{
    const std::uint64_t tallest = *std::max_element(smoothed.begin(), smoothed.end());
    if (tallest == 0) {
        return std::nullopt;
    }
    for (std::size_t bin = 0; bin < BinCount; ++bin) {
        const bool rising = bin == 0 || smoothed[bin] >= smoothed[bin - 1];
        const bool falling = bin + 1 == BinCount || smoothed[bin] > smoothed[bin + 1];
        if (rising && falling && smoothed[bin] * PeakFraction >= tallest) {
            return bin;
        }
    }
    return std::nullopt;
}

// The mean interval within PeakWidth of `centreNs`. Which intervals are
// near follows the data bits, too randomly for a branch: the others add 0.
double MeanNear(const FluxTrack& track, double centreNs)
{
    double sum = 0;
    std::size_t count = 0;
    ForEachInterval(track, [&](std::uint32_t ticks) {
        const double intervalNs = ticks * track.tickNs;
        const bool near = std::abs(intervalNs - centreNs) <= PeakWidth * centreNs;
        sum += near ? intervalNs : 0.0;
        count += near ? 1 : 0;
    });
    return count > 0 ? sum / static_cast<double>(count) : centreNs;
}

// The whole run of cells of `cellNs` an interval is close to, or 0 when it
// is close to none from 2 to LongestRun.
double WholeRun(double intervalNs, double cellNs)
{
    const double run = intervalNs / cellNs;
    const double whole = std::floor(run + 0.5);
    return whole >= 2 && whole <= LongestRun && std::abs(run - whole) <= RunTolerance ? whole : 0;
}

// Total time over total cells of every interval that is close to a whole
// run of cells of `cellNs`. The time is summed in the order of the flux, as
// floating-point sums depend on their order.
double RefinedCell(const FluxTrack& track, double cellNs)
{
    std::vector<std::uint8_t> runOf(TickTableSize(track, (LongestRun + 1) * cellNs));
    for (std::size_t ticks = 0; ticks < runOf.size(); ++ticks) {
        runOf[ticks] =
            static_cast<std::uint8_t>(WholeRun(static_cast<double>(ticks) * track.tickNs, cellNs));
    }
    double time = 0;
    double cells = 0;
    ForEachInterval(track, [&](std::uint32_t ticks) {
        const double intervalNs = ticks * track.tickNs;
        const double whole = ticks < runOf.size() ? runOf[ticks] : WholeRun(intervalNs, cellNs);
        time += whole != 0 ? intervalNs : 0.0;
        cells += whole;
    });
    return cells > 0 ? time / cells : cellNs;
}

}  // namespace

std::optional<double> FindCellTime(const FluxTrack& track)
{
    if (!std::isfinite(track.tickNs) || track.tickNs <= 0) {
        return std::nullopt;
    }
    const std::optional<std::size_t> peak = ShortestStrongPeak(SmoothedHistogram(track));
    if (!peak) {
        return std::nullopt;
    }
    const double cellNs = RefinedCell(track, MeanNear(track, BinCentreNs(*peak)) / 2);
    if (cellNs < MinCellNs || cellNs > MaxCellNs) {
        return std::nullopt;
    }
    return cellNs;
}
