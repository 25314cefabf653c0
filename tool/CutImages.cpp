#include "CutImages.h"

#include <algorithm>
#include <cstdio>

#include "DiskBuffer.h"
#include "ExtractRegion.h"
#include "Messages.h"
#include "SignatureCheck.h"
#include "TitleLayout.h"

namespace {

bool HasSignature(D88File& file, const DiskSignature& signature)
{
    return CheckSignature(file, signature, DiskBuffer).finding == SignatureFinding::Present;
}

// Both return true only when every region was read and written in full.
bool ExtractDiskA(D88File& disk, RegionSink& output)
{
    return ExtractRegion(disk, Bios98Region, output);
}

bool ExtractDiskB(D88File& disk, RegionSink& output)
{
    bool complete = true;
    for (const DiskRegion& region : MusicRegionTable) {
        // Every region is tried, whatever became of the one before.
        complete = ExtractRegion(disk, region, output) && complete;
    }
    return complete;
}

}  // namespace

bool CutImages(D88File& file, std::int32_t diskNumber, RegionSink& output)
{
    const std::int32_t count = file.GetImageCount();
    const std::int32_t imagesToCut = diskNumber == NoDiskNumber ? count : std::min(count, 1);
    bool complete = true;
    for (std::int32_t i = 0; i < imagesToCut; ++i) {
        file.SelectImage(i);
        file.SetSectorRange(TitleFirstSector, TitleLastSector);
        // The disk A sector is read even when disk B is forced.
        const bool isDiskA = HasSignature(file, DiskASignature);
        if ((diskNumber == NoDiskNumber && isDiskA) || diskNumber == DiskNumberA) {
            std::fputs(DiskARecognisedMessage, stdout);
            complete = ExtractDiskA(file, output) && complete;
            continue;
        }
        const bool isDiskB = HasSignature(file, DiskBSignature);
        if ((diskNumber == NoDiskNumber && isDiskB) || diskNumber == DiskNumberB) {
            std::fputs(DiskBRecognisedMessage, stdout);
            complete = ExtractDiskB(file, output) && complete;
            continue;
        }
        std::fputs(UnsupportedImageMessage, stderr);
    }
    // Images the reader did not index are said to be left, not passed over
    // in silence.
    if (diskNumber == NoDiskNumber && file.HasImagesPastLimit()) {
        std::fputs(ImagesPastLimitMessage, stderr);
        complete = false;
    }
    return complete;
}
