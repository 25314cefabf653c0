// The loop of the common software PLLs: each interval is added to the
// phase, and the whole cells it spans are the run. What is left over is the
// phase error: after a short run (at most three zeros, as MFM and FM allow)
// it nudges the period, after a longer one the period drifts back towards
// nominal; part of the error is carried into the next interval.
#include "CellClock.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

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

    void Clock(std::uint32_t ticks, CellStream& cells)
    {
        phase_ += ticks;
        const double spanned = phase_ / period_ + 0.5;
        if (spanned < 1) {
            return;  // shorter than half a cell: part of the next interval
        }
        if (spanned >= static_cast<double>(MaxZeroRun + 2)) {
            cells.AppendRun(MaxZeroRun);
            phase_ = 0;
            return;
        }
        const auto run = static_cast<double>(static_cast<std::size_t>(spanned));
        const double error = phase_ - run * period_;
        cells.AppendRun(static_cast<std::size_t>(run) - 1);
        if (run <= LongestTrackedRun) {
            period_ += error * PeriodAdjust;
        } else {
            period_ += (nominal_ - period_) * PeriodAdjust;
        }
        period_ = std::clamp(period_, lowest_, highest_);
        phase_ = error * (1 - PhaseAdjust);
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
    cells.Reserve(ExpectedCells(track, nominal));
    Pll pll(nominal);
    for (const std::vector<std::uint32_t>& revolution : track.revolutions) {
        cells.StartRevolution();
        for (const std::uint32_t ticks : revolution) {
            pll.Clock(ticks, cells);
        }
    }
    return cells;
}
