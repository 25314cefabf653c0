#include "BenchmarkFiles.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "D88File.h"
#include "LittleEndian.h"
#include "TitleDisks.h"

namespace {

namespace fs = std::filesystem;

constexpr int TrackTableOffset = 0x20;

// `count` copies of `image` end to end, written one at a time rather than
// concatenated in memory first.
bool WriteRepeated(const std::string& path, const Bytes& image, int count)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    for (int i = 0; i < count; ++i) {
        file.write(reinterpret_cast<const char*>(image.data()),
                   static_cast<std::streamsize>(image.size()));
    }
    file.close();
    return !file.fail();
}

// Read from a track's start, every 16 bytes of the bare headers that follow
// are a sector header with a sector count (0xFFFF in the name and in the
// reserved bytes, or a track entry's low half) and data size 0, so a walk
// not held to its image runs through them all, on through the empty
// headers, and finds disk B's sectors at the end.
Bytes HostileWalk()
{
    D88ImageBuilder bare;
    bare.Name(std::string("\0\0\0\0\xFF\xFF", 6));
    bare.DiskSize(D88File::ImageHeaderSize);
    for (int track = 0; track < D88File::TrackCount; ++track) {
        bare.TrackOffset(track, 0xFFFF);
    }
    for (const int track : {11, 12, 13, 14, 15, 100, 101, 102, 120}) {
        bare.TrackOffset(track, D88File::ImageHeaderSize);
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
    file.insert(file.end(), diskB.begin() + D88File::ImageHeaderSize, diskB.end());
    return file;
}

}  // namespace

bool BenchmarkFiles::Create(std::string& error)
{
    samplePath_ = folder_.FilePath("sample.d88");
    manyImagesPath_ = folder_.FilePath("many-images.d88");
    scratchPath_ = folder_.FilePath("scratch");

    const Bytes diskA = MakeDiskA().Build();
    sampleHeader_.assign(diskA.begin(), diskA.begin() + D88File::ImageHeaderSize);
    if (!WriteBytesToFile(samplePath_, Concat({diskA, MakeDiskB().Build()}))) {
        error = "cannot write " + samplePath_;
        return false;
    }
    if (!WriteRepeated(manyImagesPath_, MakeBlankTitleDisk().Build(), ManyImagesCount)) {
        error = "cannot write " + manyImagesPath_;
        return false;
    }
    hostileWalkPath_ = folder_.FilePath("hostile-walk.d88");
    if (!WriteBytesToFile(hostileWalkPath_, HostileWalk())) {
        error = "cannot write " + hostileWalkPath_;
        return false;
    }
    std::error_code folderError;
    if (!fs::create_directory(scratchPath_, folderError)) {
        error = "cannot make " + scratchPath_;
        return false;
    }
    return true;
}

std::uint64_t BenchmarkFiles::SampleTrackOffset(int trackIndex) const
{
    const std::size_t entry =
        TrackTableOffset + std::size_t{4} * static_cast<std::size_t>(trackIndex);
    return DecodeLe32(&sampleHeader_.at(entry));
}
