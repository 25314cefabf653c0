// The one buffer every sector read of the tool lands in: room for a whole
// disk of the title. Zero at start.
#pragma once

#include <cstdint>

#include "TitleLayout.h"

constexpr std::int32_t DiskBufferSize = TitleDiskBytes;

extern unsigned char DiskBuffer[DiskBufferSize];
