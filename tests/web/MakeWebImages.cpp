// Writes the images the browser tests give the web page, into one folder:
//   sample.d88        disk A and disk B of the title (the sample image)
//   other.d88         a disk of the title's geometry without its signatures
//   damaged.d88       disk B with the second sector of MUS00 gone
//   disk-b.hdm, .fdi, .nfd-r0.nfd, .nfd-r1.nfd, .dcp   disk B in each other format
//   hostile-walk.d88  the benchmark's hostile walk: 64 bare headers whose tracks
//                     all lead into 66,000 empty sector headers, then disk B's tracks
//
//   make_web_images <folder>
#include <cstdio>
#include <string>
#include <vector>

#include "D88File.h"
#include "FormatImageBuilders.h"
#include "TitleDisks.h"

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "Usage: make_web_images <folder>\n");
        return 1;
    }
    const std::string folder = std::string(argv[1]) + "/";
    D88ImageBuilder damaged = MakeDiskB();
    const DiskRegion& mus00 = *DiskB.begin();
    damaged.RemoveSector(mus00.trackIndex, static_cast<std::uint8_t>(mus00.r + 1));
    const D88ImageBuilder diskB = MakeDiskB();
    const std::vector<std::pair<const char*, Bytes>> files = {
        {"sample.d88", Concat({MakeDiskA().Build(), diskB.Build()})},
        {"other.d88", MakeBlankTitleDisk().Build()},
        {"damaged.d88", damaged.Build()},
        {"disk-b.hdm", BuildHdm(diskB)},
        {"disk-b.fdi", BuildFdi(diskB)},
        {"disk-b.nfd-r0.nfd", BuildNfdR0(diskB)},
        {"disk-b.nfd-r1.nfd", BuildNfdR1(diskB)},
        {"disk-b.dcp", BuildDcp(diskB)},
        {"hostile-walk.d88", MakeHostileWalk()},
    };
    for (const auto& [name, bytes] : files) {
        if (!WriteBytesToFile(folder + name, bytes)) {
            std::fprintf(stderr, "%s%s: cannot write\n", folder.c_str(), name);
            return 1;
        }
    }
    return 0;
}
