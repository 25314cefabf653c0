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
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "CutImages.h"
#include "D88File.h"
#include "Interruption.h"
#include "Messages.h"
#include "OutputFiles.h"
#include "ProgramMain.h"
#include "StdioConsole.h"

namespace {

// Program-wide: it closes the D88 file when it is destroyed at exit. Its
// constructor opens and allocates nothing.
D88File DiskImageFile;  // NOLINT(cert-err58-cpp)

// The disk number is its argument's first character: "12" means disk 1.
// Anything but 1 or 2 is refused; so is a full-width digit, whose first
// byte is no digit.
std::optional<DiskChoice> DiskFromArgument(const std::string& argument)
{
    if (argument.empty()) {
        return std::nullopt;
    }
    switch (argument[0]) {
    case '1':
        return DiskChoice::DiskA;
    case '2':
        return DiskChoice::DiskB;
    default:
        return std::nullopt;
    }
}

}  // namespace

int RunProgram(const std::vector<Argument>& arguments)
{
    InstallInterruptionHandlers();
    StdioConsole console;
    const std::string programName = arguments.empty() ? "d88cut" : arguments[0].shown;
    const std::size_t count = arguments.size();
    std::optional<DiskChoice> choice = DiskChoice::BySignature;
    if (count == 3) {
        choice = DiskFromArgument(arguments[2].text);
    }
    if ((count != 2 && count != 3) || !choice) {
        console.Err(MessageText(UsageFormat, programName.c_str()));
        return 1;
    }
    const std::filesystem::path& imageFile = arguments[1].path;
    if (!DiskImageFile.Open(imageFile)) {
        console.Err(CannotOpenFileMessage);
        return 1;
    }
    OutputFiles output(imageFile);
    const bool complete = CutImages(DiskImageFile, *choice, output, console);
    // A failed standard output is a failed run, though the files were cut.
    return complete && console.OutputWritten() ? 0 : 1;
}
