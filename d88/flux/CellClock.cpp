// The loop of the common software PLLs: each interval is added to the
// phase, and the whole cells it spans are the run. What is left over is the
// phase error: after a short run (at most three zeros, as MFM and FM allow)
// it nudges the period, after a longer one the period drifts back towards
// nominal; part of the error is carried into the next interval.
#include "CellClock.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

constexpr double PeriodAdjust = 0.05;
constexpr double PhaseAdjust = 0.6;
constexpr double PeriodBound = 0.1;  // the period stays within 10 % of nominal
constexpr double LongestTrackedRun = 4;

class Pll {
public:
    explicit Pll(double nominal)
        : nominal_(nominal), period_(nominal), lowest_(nominal * (1 - PeriodBound)),
          highest_(nominal * (1 + PeriodBound))
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
            period_ += error * PeriodAdjust;
        } else {
            period_ += (nominal_ - period_) * PeriodAdjust;
        }
        period_ = std::clamp(period_, lowest_, highest_);
        phase_ = error * (1 - PhaseAdjust);
        return run;
    }

private:
    double nominal_;
    double period_;
    double lowest_;
    double highest_;
    double phase_ = 0;
};

// The cells the flux's time spans, as far as the stream can hold them.
std::size_t ExpectedCells(const FluxTrack& track, double nominal)
{
    double ticks = 0;
    double bound = 0;
    for (const std::vector<std::uint32_t>& revolution : track.revolutions) {
        for (const std::uint32_t interval : revolution) {
            ticks += interval;
        }
        bound += static_cast<double>(revolution.size() * (MaxZeroRun + 1));
    }
    return static_cast<std::size_t>(std::min(ticks / nominal, bound));
}

}  // namespace

CellStream ClockCells(const FluxTrack& track, double cellNs)
{
    CellStream cells;
    const double nominal = cellNs / track.tickNs;
    if (!std::isfinite(nominal) || nominal <= 0) {
        return cells;
    }
    // Every revolution is clocked before any cell is stored. The PLL is
    // bound by the latency of its arithmetic, and a call in its loop (the
    // stream growing) would keep its state in memory, not in registers.
    std::size_t intervals = 0;
    for (const std::vector<std::uint32_t>& revolution : track.revolutions) {
        intervals += revolution.size();
    }
    std::vector<std::uint8_t> runs(intervals);
    Pll pll(nominal);
    auto run = runs.begin();
    for (const std::vector<std::uint32_t>& revolution : track.revolutions) {
        for (const std::uint32_t ticks : revolution) {
            *run++ = pll.Clock(ticks);
        }
    }
    cells.Reserve(ExpectedCells(track, nominal));
    run = runs.begin();
    for (const std::vector<std::uint32_t>& revolution : track.revolutions) {
        cells.StartRevolution();
        for (const auto end = run + static_cast<std::ptrdiff_t>(revolution.size()); run != end;
             ++run) {
            if (*run > 0) {
                cells.AppendRun(*run - std::size_t{1});
            }
        }
    }
    return cells;
}
