// Copying one region of the current disk image into a file.
#pragma once

#include "Console.h"
#include "D88File.h"
#include "RegionSink.h"
#include "TitleLayout.h"

// Reads `region` and hands it to `output` as the file named after it,
// announcing it with its "cutting ..." line. A region that cannot be read or
// kept in full is reported on the error stream; one read only in part never
// replaces a file of its name that `output` holds. True only when the whole
// region was read and kept.
bool ExtractRegion(D88File& disk, const DiskRegion& region, RegionSink& output, Console& console);
