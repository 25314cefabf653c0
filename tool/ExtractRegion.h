// Copying one region of the current disk image into a file.
#pragma once

#include "D88File.h"
#include "OutputFiles.h"
#include "TitleLayout.h"

// Reads `region` through DiskBuffer and writes it to the file named after it,
// announcing it with its "cutting ..." line. A region that cannot be read or
// written in full is reported on standard error; one read only in part never
// replaces an existing file of its name. True only when the whole region was
// read and written.
bool ExtractRegion(D88File& disk, const DiskRegion& region, const OutputFiles& output);
