#include "FuzzScratch.h"

#include <system_error>

#include "FuzzCheck.h"

namespace fs = std::filesystem;

namespace {

fs::path CurrentPath()
{
    std::error_code error;
    fs::path path = fs::current_path(error);
    Require(!error, "the current directory is known");
    return path;
}

}  // namespace

FuzzScratch::FuzzScratch() : outputFolder_(root_.Path() / "out")
{
    std::error_code error;
    fs::create_directory(outputFolder_, error);
    Require(!error, "the output folder can be made");
}

CurrentDirectoryScope::CurrentDirectoryScope(const fs::path& folder) : previous_(CurrentPath())
{
    std::error_code error;
    fs::current_path(folder, error);
    Require(!error, "the output folder can be entered");
}

CurrentDirectoryScope::~CurrentDirectoryScope()
{
    std::error_code ignored;
    fs::current_path(previous_, ignored);
}
