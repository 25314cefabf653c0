#include "TitleDisks.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "D88File.h"

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
    disk.MediaType(d88::Media2HD);
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

Bytes MakeHostileWalk()
{
    D88ImageBuilder bare;
    bare.Name(std::string("\0\0\0\0\xFF\xFF", 6));
    bare.DiskSize(d88::ImageHeaderSize);
    for (int track = 0; track < D88File::TrackCount; ++track) {
        bare.TrackOffset(track, 0xFFFF);
    }
    for (const int track : {11, 12, 13, 14, 15, 100, 101, 102, 120}) {
        bare.TrackOffset(track, d88::ImageHeaderSize);
    }
    Bytes header = bare.Build();
    header[0x14] = 0xFF;
    header[0x15] = 0xFF;
    Bytes file = Concat(std::vector<Bytes>(D88File::MaxImages, header));
    constexpr std::size_t EmptyHeaders = 66000;
    for (std::size_t i = 0; i < EmptyHeaders; ++i) {
        // Little-endian sector count at +4: 0xFFFF, then 1.
        const std::uint8_t count = i == 0 ? 0xFF : 1;
        const std::uint8_t countHigh = i == 0 ? 0xFF : 0;
        const Bytes empty = {0xFF, 0xFF, 0xFF, 0xFF, count, countHigh, 0, 0,
                             0,    0,    0,    0,    0,     0,         0, 0};
        file.insert(file.end(), empty.begin(), empty.end());
    }
    const Bytes diskB = MakeDiskB().Build();
    file.insert(file.end(), diskB.begin() + d88::ImageHeaderSize, diskB.end());
    return file;
}

Bytes MakeLongTrack(LongTrackIds ids)
{
    constexpr std::uint32_t EmptyHeaders = 66000;
    const Bytes diskB = MakeDiskB().Build();
    Bytes file(diskB.begin(), diskB.begin() + d88::ImageHeaderSize);
    for (std::size_t track = 0; track < d88::TrackCount; ++track) {
        PutLe(file, d88::TrackTableField + d88::TrackEntrySize * track, d88::ImageHeaderSize,
              d88::TrackEntrySize);
    }
    PutLe(file, d88::DiskSizeField, diskB.size() + EmptyHeaders * d88::SectorHeaderSize, 4);
    for (std::uint32_t i = 0; i < EmptyHeaders; ++i) {
        Bytes header(d88::SectorHeaderSize, 0);
        // C 0xF0 is past every cylinder of the title's disks.
        const std::uint32_t idKey = ids == LongTrackIds::Same ? 0xF0000000U : 0xF0000000U | i;
        header[d88::CylinderField] = static_cast<std::uint8_t>(idKey >> 24);
        header[d88::HeadField] = static_cast<std::uint8_t>(idKey >> 16);
        header[d88::RecordField] = static_cast<std::uint8_t>(idKey >> 8);
        header[d88::SizeCodeField] = static_cast<std::uint8_t>(idKey);
        PutLe(header, d88::SectorCountField, i == 0 ? 0xFFFF : 1, 2);
        file.insert(file.end(), header.begin(), header.end());
    }
    file.insert(file.end(), diskB.begin() + d88::ImageHeaderSize, diskB.end());
    return file;
}
