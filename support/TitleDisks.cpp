#include "TitleDisks.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// Every sector starts with a readable label and goes on with bytes of its
// own, so a misplaced sector in an output file shows at a glance.
std::vector<BuiltSector> LabelledTrack(int trackIndex)
{
    std::vector<BuiltSector> sectors = UniformTrack(trackIndex);
    for (BuiltSector& sector : sectors) {
        char label[32];
        const int length =
            std::snprintf(label, sizeof label, "track %03d sector %d\n", trackIndex, sector.r);
        std::memcpy(sector.data.data(), label, static_cast<std::size_t>(length));
    }
    return sectors;
}

void PlaceSignature(D88ImageBuilder& disk, const DiskSignature& signature)
{
    for (BuiltSector& sector : disk.SectorsOf(signature.sector.trackIndex)) {
        if (sector.r == signature.sector.r) {
            std::copy(signature.text, signature.text + signature.length,
                      sector.data.begin() + signature.offset);
        }
    }
}

}  // namespace

D88ImageBuilder MakeBlankTitleDisk()
{
    D88ImageBuilder disk;
    disk.MediaType(0x20);
    for (int track = 0; track < TitleTrackCount; ++track) {
        disk.Track(track, LabelledTrack(track));
    }
    return disk;
}

D88ImageBuilder MakeDiskA()
{
    D88ImageBuilder disk = MakeBlankTitleDisk();
    disk.Name("DISK A");
    PlaceSignature(disk, DiskASignature);
    return disk;
}

D88ImageBuilder MakeDiskB()
{
    D88ImageBuilder disk = MakeBlankTitleDisk();
    disk.Name("DISK B");
    PlaceSignature(disk, DiskBSignature);
    return disk;
}
