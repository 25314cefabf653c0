// Synthetic disks A and B of the two-disk title: 77 cylinders x 2 heads x
// 8 sectors of 1,024 bytes, every sector filled with its own recognisable
// bytes, and the signature text at its place. No data of any real disk.
#pragma once

#include "D88ImageBuilder.h"
#include "TitleLayout.h"

D88ImageBuilder MakeBlankTitleDisk();
D88ImageBuilder MakeDiskA();
D88ImageBuilder MakeDiskB();
