// A property that must hold for every input. A violation ends the process
// at once, so libFuzzer keeps the input as a crash and the replay runner
// fails on it.
#pragma once

#include <cstdio>
#include <cstdlib>

[[noreturn]] inline void Fail(const char* property)
{
    std::fprintf(stderr, "fuzz check failed: %s\n", property);
    std::abort();
}

inline void Require(bool holds, const char* property)
{
    if (!holds) {
        Fail(property);
    }
}
