#include "BenchmarkFiles.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

#include "D88File.h"
#include "LittleEndian.h"
#include "TitleDisks.h"

namespace {

namespace fs = std::filesystem;

constexpr int TrackTableOffset = 0x20;
constexpr int FolderNameAttempts = 100;

// A new, empty folder under the system's temporary folder; empty if none
// could be made.
std::string MakeFreshFolder()
{
    std::error_code error;
    const fs::path base = fs::temp_directory_path(error);
    if (error) {
        return {};
    }
    std::random_device seed;
    std::mt19937 generator(seed());
    for (int attempt = 0; attempt < FolderNameAttempts; ++attempt) {
        const fs::path candidate = base / ("d88cut_bench-" + std::to_string(generator()));
        // create_directory is false when the name is taken.
        if (fs::create_directory(candidate, error)) {
            return candidate.string();
        }
    }
    return {};
}

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

BenchmarkFiles::~BenchmarkFiles()
{
    if (!folder_.empty()) {
        std::error_code error;
        fs::remove_all(folder_, error);
    }
}

bool BenchmarkFiles::Create(std::string& error)
{
    folder_ = MakeFreshFolder();
    if (folder_.empty()) {
        error = "cannot make a temporary folder";
        return false;
    }
    samplePath_ = (fs::path(folder_) / "sample.d88").string();
    manyImagesPath_ = (fs::path(folder_) / "many-images.d88").string();
    scratchPath_ = (fs::path(folder_) / "scratch").string();

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
