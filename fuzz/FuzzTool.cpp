// Fuzz target over the tool's whole flow, argument checks aside: any bytes
// are taken as a D88 file and cut three times into an empty folder, by
// recognition and with each disk number forced, each time as a fresh run of
// the tool would.
//
// Whatever the file holds, the folder may then hold only files named in the
// catalogue, each exactly its catalogue length, and no temporary file; a run
// that reports every region complete has written every region of each disk
// it took.
#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <system_error>

#include "CutImages.h"
#include "D88File.h"
#include "FuzzCheck.h"
#include "FuzzScratch.h"
#include "FuzzTarget.h"
#include "OutputFiles.h"
#include "TitleLayout.h"

namespace {

namespace fs = std::filesystem;

using FileLengths = std::map<std::string, std::uintmax_t>;

FileLengths MusicFileLengths()
{
    FileLengths lengths;
    for (const DiskRegion& region : DiskB) {
        lengths[region.name] = static_cast<std::uintmax_t>(region.length);
    }
    return lengths;
}

// The files in `folder` with their lengths; the folder is emptied.
FileLengths TakeWrittenFiles(const fs::path& folder)
{
    FileLengths files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        Require(entry.is_regular_file(), "the tool writes regular files only");
        files[entry.path().filename().string()] = entry.file_size();
    }
    for (const auto& [name, length] : files) {
        fs::remove(folder / name);
    }
    return files;
}

void CheckWrittenFiles(const FileLengths& files, DiskChoice choice, std::int32_t imageCount,
                       bool complete)
{
    static const FileLengths musicFiles = MusicFileLengths();
    const DiskRegion& bios = *DiskA.begin();
    const std::string biosName = bios.name;
    const auto biosLength = static_cast<std::uintmax_t>(bios.length);

    std::size_t musicWritten = 0;
    for (const auto& [name, length] : files) {
        if (name == biosName) {
            Require(length == biosLength, "every file written has its catalogue length");
            continue;
        }
        const auto music = musicFiles.find(name);
        if (music == musicFiles.end()) {
            Fail("only files of the catalogue are left, no temporary file");
        }
        Require(length == music->second, "every file written has its catalogue length");
        ++musicWritten;
    }
    const bool biosWritten = files.count(biosName) != 0;

    if (imageCount == 0) {
        Require(files.empty() && complete, "a file of no image yields no file and no failure");
    }
    // A disk B extracted in full leaves all its files; files are never
    // removed by the tool.
    Require(!complete || musicWritten == 0 || musicWritten == musicFiles.size(),
            "a complete run leaves every music file or none");
    if (imageCount > 0 && choice == DiskChoice::DiskA) {
        Require(musicWritten == 0, "a forced disk A yields no music file");
        Require(!complete || biosWritten, "a forced disk A cut in full leaves BIOS98");
    }
    if (imageCount > 0 && choice == DiskChoice::DiskB) {
        Require(!biosWritten, "a forced disk B yields no BIOS98");
        Require(!complete || musicWritten == musicFiles.size(),
                "a forced disk B cut in full leaves every music file");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static FuzzScratch scratch;

    for (const DiskChoice choice :
         {DiskChoice::BySignature, DiskChoice::DiskA, DiskChoice::DiskB}) {
        // Each run starts as the tool's process does: with a newly opened file.
        D88File file;
        file.Open(
            std::make_unique<MemoryByteSource>(std::vector<unsigned char>(data, data + size)));
        bool complete = false;
        {
            const CurrentDirectoryScope inOutputFolder(scratch.OutputFolder());
            OutputFiles output;
            RecordedConsole console;
            complete = CutImages(file, choice, output, console);
        }
        CheckWrittenFiles(TakeWrittenFiles(scratch.OutputFolder()), choice, file.GetImageCount(),
                          complete);
    }
    return 0;
}
