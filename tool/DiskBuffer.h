// The one buffer every sector read of the tool lands in: room for a whole
// disk of 77 cylinders x 2 heads x 8 sectors x 1,024 bytes. Zero at start.
#pragma once

#include <cstdint>

constexpr std::int32_t DiskBufferSize = 77 * 2 * 8 * 1024;

extern unsigned char DiskBuffer[DiskBufferSize];
