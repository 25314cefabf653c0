// d88cut: recognises each image of a D88 file as disk A or disk B of the
// title and copies its fixed regions into files in the current directory.
//
//   d88cut [d88file] (DiskNo.)
//
// Exit status 0 when every recognised disk was extracted in full (also when
// no image was recognised), 1 for a usage error, a file that cannot be opened,
// a region that could not be read or written in full, images past the 64th,
// or standard output that could not be written.
#include <cstdint>
#include <cstdio>

#include "CutImages.h"
#include "D88File.h"
#include "Interruption.h"
#include "Messages.h"
#include "OutputFiles.h"

namespace {

// Program-wide: it closes the D88 file when it is destroyed at exit. Its
// constructor opens nothing; should it fail to get memory for the stream, the
// program could not have run anyway.
D88File DiskImageFile;  // NOLINT(cert-err58-cpp)

// The disk number is its argument's first character taken as a digit: "12"
// means disk 1. Anything but 1 or 2 is refused.
std::int32_t DiskNumberFromArgument(const char* argument)
{
    return static_cast<signed char>(argument[0]) - '0';
}

}  // namespace

int main(int argc, char* argv[])
{
    InstallInterruptionHandlers();
    // Unbuffered, so that progress and errors leave in the order they are
    // made even when both streams go into one pipe or file; a run prints a
    // few lines. (The Windows C library buffers stderr too when it is not a
    // console.)
    std::setvbuf(stdout, nullptr, _IONBF, 0);  // NOLINT(cert-err33-c): buffered is no worse
    std::setvbuf(stderr, nullptr, _IONBF, 0);  // NOLINT(cert-err33-c)
    const char* programName = argc > 0 && argv[0] != nullptr ? argv[0] : "d88cut";
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, UsageFormat, programName);
        return 1;
    }
    std::int32_t diskNumber = NoDiskNumber;
    if (argc == 3) {
        diskNumber = DiskNumberFromArgument(argv[2]);
        if (diskNumber != DiskNumberA && diskNumber != DiskNumberB) {
            std::fprintf(stderr, UsageFormat, programName);
            return 1;
        }
    }
    if (!DiskImageFile.Open(argv[1])) {
        std::fputs(CannotOpenFileMessage, stderr);
        return 1;
    }
    const bool complete = CutImages(DiskImageFile, diskNumber, OutputFiles(argv[1]));
    // A failed standard output is a failed run, though the files were cut.
    const bool printed = std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
    return complete && printed ? 0 : 1;
}
