// d88cut: recognises each image of a D88 file as disk A or disk B of the
// title and copies its fixed regions into files in the current directory.
//
//   d88cut [d88file] (DiskNo.)
//
// Exit status 0 when every recognised disk was extracted in full (also when
// no image was recognised), 1 for a usage error, a file that cannot be opened,
// or a region that could not be read or written in full.
#include <cstdint>
#include <cstdio>

#include "CutImages.h"
#include "D88File.h"
#include "Messages.h"

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
    return CutImages(DiskImageFile, diskNumber) ? 0 : 1;
}
