// The loop of the common software PLLs: each interval is added to the
// phase, and the whole cells it spans are the run. What is left over is the
// phase error: after a short run (at most three zeros, as MFM and FM allow)
// it nudges the period, after a longer one the period drifts back towards
// nominal; part of the error is carried into the next interval. The loop is
// bound by the latency of its arithmetic, not by how many operations it has.
#include "CellClock.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace {

constexpr double PeriodBound = 0.1;  // the period stays within 10 % of nominal
constexpr double LongestTrackedRun = 4;

class Pll {
public:
    Pll(double nominal, const PllResponse& response)
        : nominal_(nominal), period_(nominal), lowest_(nominal * (1 - PeriodBound)),
          highest_(nominal * (1 + PeriodBound)), periodAdjust_(response.periodAdjust),
          phaseKept_(1 - response.phaseAdjust)
    {
    }

    // The cells up to and with the transition that ends this interval (its
    // zeros, then the one), or 0 when the interval is part of the next.
    std::uint8_t Clock(std::uint32_t ticks)
    {
        phase_ += ticks;
        const double spanned = phase_ / period_ + 0.5;
        if (spanned < 1) {
            return 0;  // shorter than half a cell: part of the next interval
        }
        if (spanned >= static_cast<double>(MaxZeroRun + 2)) {
            phase_ = 0;
            return MaxZeroRun + 1;
        }
        const auto run = static_cast<std::uint8_t>(spanned);
        const double error = phase_ - run * period_;
        if (run <= LongestTrackedRun) {
            period_ += error * periodAdjust_;
        } else {
            period_ += (nominal_ - period_) * periodAdjust_;
        }
        // The period is rarely at a bound: a branch the processor predicts
        // keeps the clamp off the path from one interval to the next, where
        // a min and a max would add their latency.
        if (period_ < lowest_) {
            period_ = lowest_;
        } else if (highest_ < period_) {
            period_ = highest_;
        }
        phase_ = error * phaseKept_;
        return run;
    }

private:
    double nominal_;
    double period_;
    double lowest_;
    double highest_;
    double periodAdjust_;
    double phaseKept_;  // the part of the phase error carried into the next interval
    double phase_ = 0;
};

// Intervals are clocked a chunk at a time, with room made first for every
// cell the chunk can give: the stream never grows inside the loop, so the
// PLL's state stays in registers.
constexpr std::size_t ChunkIntervals = 4096;

// A track being clocked: its PLL, where it is in the flux, and its cells.
class TrackClock {
public:
    TrackClock(const FluxTrack& track, double nominal, const PllResponse& response)
        : track_(track), pll_(nominal, response)
    {
    }

    // The intervals of the current revolution not yet clocked, at most
    // `limit`, with room made for their cells; 0 at the end of the flux.
    // A revolution's start is marked when it is first reached.
    std::size_t Ready(std::size_t limit)
    {
        for (; revolution_ < track_.revolutions.size(); ++revolution_, next_ = 0) {
            if (cells_.RevolutionStarts().size() == revolution_) {
                cells_.StartRevolution(end_);
            }
            const std::size_t left = track_.revolutions[revolution_].size() - next_;
            if (left > 0) {
                const std::size_t ready = std::min(limit, left);
                cells_.MakeRoom(end_ + ready * (MaxZeroRun + 1));
                return ready;
            }
        }
        return 0;
    }

    // The first interval Ready counted.
    [[nodiscard]] const std::uint32_t* Intervals() const
    {
        return track_.revolutions[revolution_].data() + next_;
    }

    void Clock(std::uint32_t ticks)
    {
        const std::uint8_t run = pll_.Clock(ticks);
        if (run > 0) {
            end_ += run;
            cells_.SetTransition(end_ - 1);
        }
    }

    // Moves past `count` intervals, which Ready counted.
    void Advance(std::size_t count) { next_ += count; }

    CellStream Finish()
    {
        cells_.End(end_);
        return std::move(cells_);
    }

private:
    const FluxTrack& track_;
    Pll pll_;
    CellStream cells_;
    std::size_t revolution_ = 0;
    std::size_t next_ = 0;
    std::size_t end_ = 0;
};

void ClockAll(TrackClock& clock)
{
    for (std::size_t count = clock.Ready(ChunkIntervals); count > 0;
         count = clock.Ready(ChunkIntervals)) {
        const std::uint32_t* intervals = clock.Intervals();
        for (std::size_t i = 0; i < count; ++i) {
            clock.Clock(intervals[i]);
        }
        clock.Advance(count);
    }
}

// Both tracks' intervals in step while both have some, so that the
// processor runs their PLLs side by side, then the rest of each.
void ClockTogether(TrackClock& first, TrackClock& second)
{
    for (;;) {
        const std::size_t count =
            std::min(first.Ready(ChunkIntervals), second.Ready(ChunkIntervals));
        if (count == 0) {
            break;
        }
        const std::uint32_t* firstIntervals = first.Intervals();
        const std::uint32_t* secondIntervals = second.Intervals();
        for (std::size_t i = 0; i < count; ++i) {
            first.Clock(firstIntervals[i]);
            second.Clock(secondIntervals[i]);
        }
        first.Advance(count);
        second.Advance(count);
    }
    ClockAll(first);
    ClockAll(second);
}

// A cell in ticks of the flux's clock, or nullopt when it cannot be one.
std::optional<double> NominalTicks(const FluxTrack& track, double cellNs)
{
    const double nominal = cellNs / track.tickNs;
    if (!std::isfinite(nominal) || nominal <= 0) {
        return std::nullopt;
    }
    return nominal;
}

}  // namespace

CellStream ClockCells(const FluxTrack& track, double cellNs, const PllResponse& response)
{
    const std::optional<double> nominal = NominalTicks(track, cellNs);
    if (!nominal) {
        return {};
    }
    TrackClock clock(track, *nominal, response);
    ClockAll(clock);
    return clock.Finish();
}

std::pair<CellStream, CellStream> ClockCellsOfTwo(const FluxTrack& first, double firstCellNs,
                                                  const FluxTrack& second, double secondCellNs)
{
    const std::optional<double> firstNominal = NominalTicks(first, firstCellNs);
    const std::optional<double> secondNominal = NominalTicks(second, secondCellNs);
    if (!firstNominal || !secondNominal) {
        return {ClockCells(first, firstCellNs), ClockCells(second, secondCellNs)};
    }
    TrackClock firstClock(first, *firstNominal, StandardPll);
    TrackClock secondClock(second, *secondNominal, StandardPll);
    ClockTogether(firstClock, secondClock);
    return {firstClock.Finish(), secondClock.Finish()};
}
