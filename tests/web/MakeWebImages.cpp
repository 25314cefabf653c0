// Writes the images the browser tests give the web page, into one folder:
//   sample.d88        disk A and disk B of the title (the sample image)
//   disk-a.d88, disk-b.d88   each disk alone, for the archives the tests make
//   japanese.d88      disks A and B named in Shift_JIS: ゲームディスクＡ, ゲームディスクＢ
//   other.d88         a disk of the title's geometry without its signatures
//   damaged.d88       disk B with MUS00's first sector recorded as misread and
//                     track 13 gone: MUS05 read in part, MUS06 to MUS08 not read
//   notes.txt, picture.png   files that are no disk image
//   disk-b.hdm, .fdi, .nfd-r0.nfd, .nfd-r1.nfd, .dcp   disk B in each other format
//   hostile-walk.d88  the benchmark's hostile walk: 64 bare headers whose tracks
//                     all lead into 66,000 empty sector headers, then disk B's tracks
//   disk-b.scp, disk-b-fluxcc.h.raw   flux of disk B's tracks that d88cut reads
//                     (11 to 15 and 100), three revolutions each, track 11's R 5
//                     spoilt in the second: an SCP file and KryoFlux streams
//
//   make_web_images <folder>
#include <cstdio>
#include <string>
#include <vector>

#include "D88File.h"
#include "FluxFileWriters.h"
#include "FluxSynthesiser.h"
#include "FormatImageBuilders.h"
#include "TitleDisks.h"

namespace {

// Names in Shift_JIS: katakana and a full-width letter.
constexpr char GameDiskA[] = "\x83\x51\x81\x5B\x83\x80\x83\x66\x83\x42\x83\x58\x83\x4E\x82\x60";
constexpr char GameDiskB[] = "\x83\x51\x81\x5B\x83\x80\x83\x66\x83\x42\x83\x58\x83\x4E\x82\x61";

// The start of a PNG: its signature and the header of a one-pixel image.
constexpr char Png[] =
    "\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0\x01\0\0\0\x01\x08\0\0\0\0\x3A\x7E\x9B\x55";

constexpr char Notes[] = "Disk A holds BIOS98; disk B holds MUS00 to MUS15.\n";

D88ImageBuilder MakeDamagedDiskB()
{
    D88ImageBuilder disk = MakeDiskB();
    const DiskRegion& mus00 = *DiskB.begin();
    for (BuiltSector& sector : disk.SectorsOf(mus00.trackIndex)) {
        if (sector.r == mus00.r) {
            sector.status = 0xB0;  // data CRC error
        }
    }
    return disk.RemoveTrack(13);
}

// Disk B's tracks that hold its files and its signature, as a drive reads
// them in three revolutions, one of them with a sector spoilt.
std::vector<FluxTrack> DiskBFlux()
{
    D88ImageBuilder disk = MakeDiskB();
    const D88ImageBuilder whole = disk;
    for (const auto& entry : whole.Tracks()) {
        if ((entry.first < 11 || entry.first > 15) && entry.first != 100) {
            disk.RemoveTrack(entry.first);
        }
    }
    FluxSynthesis synthesis;
    synthesis.revolutions = 3;
    synthesis.damage = {{11, 4, SectorFault::CorruptData, {1}}};
    return SynthesiseDisk(disk, synthesis);
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "Usage: make_web_images <folder>\n");
        return 1;
    }
    const std::string folder = std::string(argv[1]) + "/";
    const D88ImageBuilder diskB = MakeDiskB();
    const std::vector<FluxTrack> diskBFlux = DiskBFlux();
    std::vector<std::pair<std::string, Bytes>> files = {
        {"sample.d88", Concat({MakeDiskA().Build(), diskB.Build()})},
        {"disk-a.d88", MakeDiskA().Build()},
        {"disk-b.d88", diskB.Build()},
        {"japanese.d88",
         Concat({MakeDiskA().Name(GameDiskA).Build(), MakeDiskB().Name(GameDiskB).Build()})},
        {"other.d88", MakeBlankTitleDisk().Build()},
        {"damaged.d88", MakeDamagedDiskB().Build()},
        {"notes.txt", Bytes(Notes, Notes + sizeof Notes - 1)},
        {"picture.png", Bytes(Png, Png + sizeof Png - 1)},
        {"disk-b.hdm", BuildHdm(diskB)},
        {"disk-b.fdi", BuildFdi(diskB)},
        {"disk-b.nfd-r0.nfd", BuildNfdR0(diskB)},
        {"disk-b.nfd-r1.nfd", BuildNfdR1(diskB)},
        {"disk-b.dcp", BuildDcp(diskB)},
        {"hostile-walk.d88", MakeHostileWalk()},
        {"disk-b.scp", WriteScp(diskBFlux)},
    };
    for (NamedBytes& stream : WriteKryofluxStreams(diskBFlux, "disk-b-flux")) {
        files.emplace_back(std::move(stream.name), std::move(stream.bytes));
    }
    for (const auto& [name, bytes] : files) {
        if (!WriteBytesToFile(folder + name, bytes)) {
            std::fprintf(stderr, "%s%s: cannot write\n", folder.c_str(), name.c_str());
            return 1;
        }
    }
    return 0;
}
