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

#include "CommandLine.h"
#include "CutImages.h"
#include "D88File.h"
#include "Interruption.h"
#include "Messages.h"
#include "OutputFiles.h"

namespace {

// Program-wide: it closes the D88 file when it is destroyed at exit. Its
// constructor opens and allocates nothing.
D88File DiskImageFile;  // NOLINT(cert-err58-cpp)

int RunTool(const CommandLine& line)
{
    InstallInterruptionHandlers();
    // Unbuffered, so that progress and errors leave in the order they are
    // made even when both streams go into one pipe or file; a run prints a
    // few lines. (The Windows C library buffers stderr too when it is not a
    // console.)
    std::setvbuf(stdout, nullptr, _IONBF, 0);  // NOLINT(cert-err33-c): buffered is no worse
    std::setvbuf(stderr, nullptr, _IONBF, 0);  // NOLINT(cert-err33-c)
    const bool diskNumberGiven = line.count == 3;
    if ((line.count != 2 && !diskNumberGiven) ||
        (diskNumberGiven && line.diskNumber != DiskNumberA && line.diskNumber != DiskNumberB)) {
        std::fprintf(stderr, UsageFormat, line.programName.c_str());
        return 1;
    }
    if (!DiskImageFile.Open(line.imageFile)) {
        std::fputs(CannotOpenFileMessage, stderr);
        return 1;
    }
    const std::int32_t diskNumber = diskNumberGiven ? line.diskNumber : NoDiskNumber;
    const bool complete = CutImages(DiskImageFile, diskNumber, OutputFiles(line.imageFile));
    // A failed standard output is a failed run, though the files were cut.
    const bool printed = std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
    return complete && printed ? 0 : 1;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t* argv[])
{
    return RunTool(ReadCommandLine(argc, argv));
}
#else
int main(int argc, char* argv[])
{
    return RunTool(ReadCommandLine(argc, argv));
}
#endif
