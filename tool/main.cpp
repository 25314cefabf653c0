// d88cut: recognises each image of a disk-image file as disk A or disk B of
// the title and copies its fixed regions into files.
//
//   d88cut [-d DIR] FILE [DiskNo.]
//   d88cut --help | -h | --version     (and /? on Windows)
//
// Exit status 0 when every recognised disk was extracted in full (also when
// no image was recognised), and for help and version; 1 for a usage error, a
// file that cannot be opened, a folder that cannot be made, a region that was
// damaged or could not be written, images past the 64th, or standard output
// that could not be written.
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "CutImages.h"
#include "D88File.h"
#include "Interruption.h"
#include "Messages.h"
#include "OutputFiles.h"
#include "ProgramMain.h"
#include "StdioConsole.h"

namespace {

namespace fs = std::filesystem;

// Program-wide: it closes the D88 file when it is destroyed at exit. Its
// constructor opens and allocates nothing.
D88File DiskImageFile;  // NOLINT(cert-err58-cpp)

struct CommandLine {
    fs::path imageFile;
    DiskChoice choice = DiskChoice::BySignature;
    // Empty for the current folder.
    fs::path folder;
    std::string folderShown;
};

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

// FILE [DiskNo.], or -d DIR FILE [DiskNo.]: four and five arguments were
// never anything else, so no older command line changes its meaning.
std::optional<CommandLine> ParseCommandLine(const std::vector<Argument>& arguments)
{
    std::size_t first = 1;
    CommandLine line;
    if (arguments.size() >= 4 && arguments[1].text == "-d") {
        line.folder = arguments[2].path;
        line.folderShown = arguments[2].shown;
        first = 3;
    }
    const std::size_t count = arguments.size() - first;
    if (count != 1 && count != 2) {
        return std::nullopt;
    }
    line.imageFile = arguments[first].path;
    if (count == 2) {
        const std::optional<DiskChoice> choice = DiskFromArgument(arguments[first + 1].text);
        if (!choice) {
            return std::nullopt;
        }
        line.choice = *choice;
    }
    return line;
}

// --help and --version are answered only where no file of that name is:
// such a file is still read, as it always was.
const Message* InformationAsked(const std::vector<Argument>& arguments)
{
    if (arguments.size() != 2) {
        return nullptr;
    }
    const std::string& text = arguments[1].text;
    std::error_code error;
    if (fs::exists(arguments[1].path, error)) {
        return nullptr;
    }
#ifdef _WIN32
    const bool help = text == "--help" || text == "-h" || text == "/?";
#else
    const bool help = text == "--help" || text == "-h";
#endif
    if (help) {
        return &HelpText;
    }
    return text == "--version" ? &VersionText : nullptr;
}

bool MakeFolder(const fs::path& folder)
{
    std::error_code error;
    fs::create_directories(folder, error);
    return fs::is_directory(folder, error);
}

}  // namespace

int RunProgram(const std::vector<Argument>& arguments)
{
    InstallInterruptionHandlers();
    StdioConsole console;
    if (const Message* information = InformationAsked(arguments)) {
        console.Out(ConsoleLine(*information));
        return console.OutputWritten() ? 0 : 1;
    }
    const std::optional<CommandLine> line = ParseCommandLine(arguments);
    if (!line) {
        const std::string programName = arguments.empty() ? "d88cut" : arguments[0].shown;
        console.Err(ConsoleLine(UsageFormat, programName.c_str()));
        return 1;
    }
    if (!DiskImageFile.Open(line->imageFile)) {
        console.Err(ConsoleLine(CannotOpenFileMessage));
        return 1;
    }
    if (!line->folder.empty() && !MakeFolder(line->folder)) {
        console.Err(ConsoleLine(CannotMakeFolderFormat, line->folderShown.c_str()));
        return 1;
    }
    OutputFiles output(line->imageFile, line->folder);
    const bool complete = CutImages(DiskImageFile, line->choice, output, console);
    // A failed standard output is a failed run, though the files were cut.
    return complete && console.OutputWritten() ? 0 : 1;
}
