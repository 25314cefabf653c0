// Every encoding of an IBM-style track writes runs of two cells most or
// nearly most often (MFM 2/3/4 cells, FM 2/4 cells of half its own cell),
// so the shortest strong peak of the interval histogram is two cells. The
// histogram's bins grow with the interval, one per 1.1 %, so every rate has
// the same resolution. The peak's estimate is then refined over all the
// intervals it explains.
#include "CellTime.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>

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

template <typename Visit>
void ForEachIntervalNs(const FluxTrack& track, Visit visit)
{
    std::size_t left = SampledIntervals;
    for (const std::vector<std::uint32_t>& revolution : track.revolutions) {
        const std::size_t count = std::min(left, revolution.size());
        for (std::size_t i = 0; i < count; ++i) {
            visit(revolution[i] * track.tickNs);
        }
        left -= count;
    }
}

double BinCentreNs(std::size_t bin)
{
    return LowestNs * std::exp2((static_cast<double>(bin) + 0.5) / BinsPerOctave);
}

Histogram SmoothedHistogram(const FluxTrack& track)
{
    Histogram counts{};
    ForEachIntervalNs(track, [&counts](double intervalNs) {
        const double place = std::log2(intervalNs / LowestNs) * BinsPerOctave;
        if (place >= 0 && place < static_cast<double>(BinCount)) {
            ++counts[static_cast<std::size_t>(place)];
        }
    });
    Histogram smoothed{};
    for (std::size_t bin = 0; bin < BinCount; ++bin) {
        const std::size_t first = bin < SmoothReach ? 0 : bin - SmoothReach;
        const std::size_t last = std::min(BinCount - 1, bin + SmoothReach);
        for (std::size_t near = first; near <= last; ++near) {
            smoothed[bin] += counts[near];
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

// The mean interval within PeakWidth of `centreNs`.
double MeanNear(const FluxTrack& track, double centreNs)
{
    double sum = 0;
    double count = 0;
    ForEachIntervalNs(track, [&](double intervalNs) {
        if (std::abs(intervalNs - centreNs) <= PeakWidth * centreNs) {
            sum += intervalNs;
            ++count;
        }
    });
    return count > 0 ? sum / count : centreNs;
}

// Total time over total cells of every interval that is close to a whole
// run of cells of `cellNs`.
double RefinedCell(const FluxTrack& track, double cellNs)
{
    double time = 0;
    double cells = 0;
    ForEachIntervalNs(track, [&](double intervalNs) {
        const double run = intervalNs / cellNs;
        const double whole = std::floor(run + 0.5);
        if (whole >= 2 && whole <= LongestRun && std::abs(run - whole) <= RunTolerance) {
            time += intervalNs;
            cells += whole;
        }
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
