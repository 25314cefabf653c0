#include "FuzzScratch.h"

#include <cstdio>
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

FuzzScratch::FuzzScratch()
    : inputPath_(root_.FilePath("input.d88")), outputFolder_(root_.Path() / "out")
{
    std::error_code error;
    fs::create_directory(outputFolder_, error);
    Require(!error, "the output folder can be made");
}

void FuzzScratch::WriteInput(const std::uint8_t* data, std::size_t size)
{
    std::FILE* file = std::fopen(inputPath_.c_str(), "wb");
    Require(file != nullptr, "the input file can be created");
    const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    const bool closed = std::fclose(file) == 0;
    Require(written && closed, "the input file can be written");
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
