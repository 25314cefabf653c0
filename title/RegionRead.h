// Reading one of the title's regions as d88cut writes it: the one rule both
// programs follow, so d88info's checksums are those of d88cut's files.
#pragma once

#include <cstdint>

#include "D88File.h"
#include "TitleLayout.h"

// Reads `region` into `buffer` (room for skip + length bytes): the bytes of
// its sectors, then zeros from where the run broke off, never the leftovers
// of an earlier read. Returns the bytes read, 0 when its first sector is
// missing.
std::int32_t ReadRegion(D88File& file, const DiskRegion& region, unsigned char* buffer);
