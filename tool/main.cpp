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
#include <filesystem>
#include <string>
#include <vector>

#include "Arguments.h"
#include "CutImages.h"
#include "D88File.h"
#include "Interruption.h"
#include "Messages.h"
#include "OutputFiles.h"

namespace {

// Program-wide: it closes the D88 file when it is destroyed at exit. Its
// constructor opens and allocates nothing.
D88File DiskImageFile;  // NOLINT(cert-err58-cpp)

// The disk number is its argument's first character taken as a digit: "12"
// means disk 1. Anything but 1 or 2 is refused; so is a full-width digit,
// whose first byte is no digit.
std::int32_t DiskNumberFromArgument(const std::string& argument)
{
    return argument.empty() ? 0 : static_cast<signed char>(argument[0]) - '0';
}

int RunTool(const std::vector<Argument>& arguments)
{
    InstallInterruptionHandlers();
    // Unbuffered, so that progress and errors leave in the order they are
    // made even when both streams go into one pipe or file; a run prints a
    // few lines. (The Windows C library buffers stderr too when it is not a
    // console.)
    std::setvbuf(stdout, nullptr, _IONBF, 0);  // NOLINT(cert-err33-c): buffered is no worse
    std::setvbuf(stderr, nullptr, _IONBF, 0);  // NOLINT(cert-err33-c)
    const std::string programName = arguments.empty() ? "d88cut" : arguments[0].shown;
    const std::size_t count = arguments.size();
    std::int32_t diskNumber = NoDiskNumber;
    if (count == 3) {
        diskNumber = DiskNumberFromArgument(arguments[2].text);
    }
    if ((count != 2 && count != 3) ||
        (count == 3 && diskNumber != DiskNumberA && diskNumber != DiskNumberB)) {
        std::fprintf(stderr, UsageFormat, programName.c_str());
        return 1;
    }
    const std::filesystem::path& imageFile = arguments[1].path;
    if (!DiskImageFile.Open(imageFile)) {
        std::fputs(CannotOpenFileMessage, stderr);
        return 1;
    }
    OutputFiles output(imageFile);
    const bool complete = CutImages(DiskImageFile, diskNumber, output);
    // A failed standard output is a failed run, though the files were cut.
    const bool printed = std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
    return complete && printed ? 0 : 1;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t* argv[])
#else
int main(int argc, char* argv[])
#endif
{
    return RunTool(ReadArguments(argc, argv));
}
