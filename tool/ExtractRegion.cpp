#include "ExtractRegion.h"

#include "Messages.h"
#include "RegionRead.h"

bool ExtractRegion(D88File& disk, const DiskRegion& region, RegionSink& output, Console& console)
{
    const RegionBytes read = ReadRegion(disk, region);
    if (read.FirstSectorMissing()) {
        // Without its first sector a region leaves no file, and an older file
        // of that name stays as it was.
        console.Err(ConsoleLine(CannotReadSectorsFormat, region.name));
        return false;
    }
    console.Out(ConsoleLine(CuttingFormat, region.name));
    // A region that breaks off is still written at its full length, and one
    // with sectors the image records as misread with the bytes as recorded.
    if (!read.ReadInFull()) {
        console.Err(ConsoleLine(PartlyReadFormat, region.name, read.bytesRead, region.length));
    }
    if (!read.recordedErrors.empty()) {
        console.Err(ConsoleLine(RecordedReadErrorFormat, region.name));
    }
    const bool sound = read.Sound();
    // A damaged copy never takes the place of a file the user has.
    if (!sound && output.Holds(region.name)) {
        console.Err(ConsoleLine(KeptExistingFileFormat, region.name));
        return false;
    }
    const bool written = output.Keep(region.name, read.bytes.data(), read.bytes.size(), sound);
    if (!written) {
        console.Err(ConsoleLine(CannotWriteFileFormat, region.name));
    }
    return sound && written;
}
