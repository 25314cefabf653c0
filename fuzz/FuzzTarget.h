// The entry point of a fuzz target: called once per input, by libFuzzer or
// by the replay runner.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
