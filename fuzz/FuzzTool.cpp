// Fuzz target over the tool's whole flow, argument checks aside: any bytes
// are taken as a disk-image file and cut three times, by recognition and
// with each disk number forced, each time as a fresh run of the tool into an
// empty folder would. The regions go to the memory sink: what reaches the
// folder on disk from there (temporary files, renames, files kept) is the
// end-to-end tests' part, and leaving it out makes each input many times
// faster.
//
// Whatever the file holds, only files named in the catalogue may be kept,
// each exactly its catalogue length; a run that reports every region
// complete has kept every region of each disk it took.
#include <map>
#include <optional>
#include <string>

#include "CutImages.h"
#include "D88File.h"
#include "FuzzCheck.h"
#include "FuzzTarget.h"
#include "ImageFormat.h"
#include "MemorySink.h"
#include "TitleLayout.h"

namespace {

using FileLengths = std::map<std::string, std::uintmax_t>;

FileLengths MusicFileLengths()
{
    FileLengths lengths;
    for (const DiskRegion& region : DiskB) {
        lengths[region.name] = static_cast<std::uintmax_t>(region.length);
    }
    return lengths;
}

FileLengths KeptFiles(const MemorySink& sink)
{
    FileLengths files;
    for (const auto& [name, kept] : sink.Files()) {
        files[name] = kept.bytes.size();
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
    // The file's format is told and converted once: D88File::Open does no
    // more than that before it reads the image as D88, which a file of no
    // other format is read as.
    MemoryByteSource source(std::vector<unsigned char>(data, data + size));
    std::optional<ConvertedImage> converted = ConvertToD88(source);
    if (!converted) {
        converted = ConvertedImage{ImageFormat::D88, std::vector<unsigned char>(data, data + size),
                                   std::nullopt};
    }
    for (const DiskChoice choice :
         {DiskChoice::BySignature, DiskChoice::DiskA, DiskChoice::DiskB}) {
        // Each run starts as the tool's process does: with a newly opened file.
        D88File file;
        file.Open(*converted);
        MemorySink kept;
        RecordedConsole console;
        const bool complete = CutImages(file, choice, kept, console);
        CheckWrittenFiles(KeptFiles(kept), choice, file.GetImageCount(), complete);
    }
    return 0;
}
