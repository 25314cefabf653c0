// The pass over the images of an open D88 file: recognise each one as disk A
// or disk B of the title and extract it.
#pragma once

#include "Console.h"
#include "D88File.h"
#include "RegionSink.h"

// Which disk the images are: told by signature, or given on the command line.
enum class DiskChoice { BySignature, DiskA, DiskB };

// With a disk given only the first image is taken, as that disk, without a
// signature test. Returns true when every region of every recognised disk
// was read and written in full and, by signature, no image lay past the
// reader's limit. The regions go to `output`, the messages to `console`.
bool CutImages(D88File& file, DiskChoice choice, RegionSink& output, Console& console);
