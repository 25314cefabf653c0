// The pass over the images of an open D88 file: recognise each one as disk A
// or disk B of the title and extract it.
#pragma once

#include <cstdint>

#include "D88File.h"
#include "RegionSink.h"

// Disk numbers given on the command line; none means "recognise by signature".
enum DiskNumber : std::int32_t { NoDiskNumber = 0, DiskNumberA = 1, DiskNumberB = 2 };

// With a disk number only the first image is taken, as that disk, without a
// signature test. Returns true when every region of every recognised disk
// was read and written in full and, without a disk number, no image lay
// past the reader's limit. The regions go to `output`.
bool CutImages(D88File& file, std::int32_t diskNumber, RegionSink& output);
