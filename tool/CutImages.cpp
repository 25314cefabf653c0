#include "CutImages.h"

#include <algorithm>

#include "DiskRecognition.h"
#include "ExtractRegion.h"
#include "Messages.h"
#include "TitleLayout.h"

namespace {

const TitleDisk* ChosenDisk(D88File& file, DiskChoice choice)
{
    switch (choice) {
    case DiskChoice::DiskA:
        return &DiskA;
    case DiskChoice::DiskB:
        return &DiskB;
    case DiskChoice::BySignature:
        break;
    }
    return RecogniseDisk(file).disk;
}

// True only when every region was read and written in full.
bool ExtractDisk(D88File& file, const TitleDisk& disk, RegionSink& output, Console& console)
{
    bool complete = true;
    for (const DiskRegion& region : disk) {
        // Every region is tried, whatever became of the one before.
        complete = ExtractRegion(file, region, output, console) && complete;
    }
    return complete;
}

}  // namespace

bool CutImages(D88File& file, DiskChoice choice, RegionSink& output, Console& console)
{
    const std::int32_t count = file.GetImageCount();
    const std::int32_t imagesToCut = choice == DiskChoice::BySignature ? count : std::min(count, 1);
    bool complete = true;
    for (std::int32_t i = 0; i < imagesToCut; ++i) {
        file.SelectImage(i);
        const TitleDisk* disk = ChosenDisk(file, choice);
        if (disk == nullptr) {
            console.Err(ConsoleLine(UnsupportedImageMessage));
            continue;
        }
        console.Out(ConsoleLine(RecognisedFormat, disk->letter));
        complete = ExtractDisk(file, *disk, output, console) && complete;
    }
    // Images the reader did not index are said to be left, not passed over
    // in silence.
    if (choice == DiskChoice::BySignature && file.HasImagesPastLimit()) {
        console.Err(ConsoleLine(ImagesPastLimitMessage));
        complete = false;
    }
    return complete;
}
