#include "BenchmarkFiles.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "D88File.h"
#include "LittleEndian.h"
#include "TitleDisks.h"

namespace {

namespace fs = std::filesystem;

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

}  // namespace

bool BenchmarkFiles::Create(std::string& error)
{
    samplePath_ = folder_.FilePath("sample.d88");
    manyImagesPath_ = folder_.FilePath("many-images.d88");
    scratchPath_ = folder_.FilePath("scratch");

    const Bytes diskA = MakeDiskA().Build();
    sampleHeader_.assign(diskA.begin(), diskA.begin() + d88::ImageHeaderSize);
    if (!WriteBytesToFile(samplePath_, Concat({diskA, MakeDiskB().Build()}))) {
        error = "cannot write " + samplePath_;
        return false;
    }
    if (!WriteRepeated(manyImagesPath_, MakeBlankTitleDisk().Build(), ManyImagesCount)) {
        error = "cannot write " + manyImagesPath_;
        return false;
    }
    hostileWalkPath_ = folder_.FilePath("hostile-walk.d88");
    if (!WriteBytesToFile(hostileWalkPath_, MakeHostileWalk())) {
        error = "cannot write " + hostileWalkPath_;
        return false;
    }
    longTrackPath_ = folder_.FilePath("long-track.d88");
    longTrackIdsPath_ = folder_.FilePath("long-track-ids.d88");
    if (!WriteBytesToFile(longTrackPath_, MakeLongTrack(LongTrackIds::Same)) ||
        !WriteBytesToFile(longTrackIdsPath_, MakeLongTrack(LongTrackIds::Distinct))) {
        error = "cannot write " + longTrackPath_;
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
        d88::TrackTableField + d88::TrackEntrySize * static_cast<std::size_t>(trackIndex);
    return DecodeLe32(&sampleHeader_.at(entry));
}
