// The flux of one track as a drive read it.
#pragma once

#include <cstdint>
#include <vector>

// The times between consecutive flux transitions, in ticks of the dump's
// sample clock, for each revolution read, from one index pulse to the next.
struct FluxTrack {
    int cylinder = 0;
    int head = 0;
    // One tick, in nanoseconds.
    double tickNs = 0;
    std::vector<std::vector<std::uint32_t>> revolutions;
};
