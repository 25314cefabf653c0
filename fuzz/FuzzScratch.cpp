#include "FuzzScratch.h"

#include <cstdio>
#include <random>
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
{
    // Several fuzzing processes may run at once: pick names until one is new.
    std::random_device random;
    std::error_code error;
    const fs::path base = fs::absolute(fs::temp_directory_path(error), error);
    Require(!error, "the temporary folder is known");
    bool created = false;
    do {
        root_ = base / ("d88cut-fuzz-" + std::to_string(random()));
        created = fs::create_directory(root_, error);
        Require(!error, "a scratch folder can be made in the temporary folder");
    } while (!created);
    inputPath_ = (root_ / "input.d88").string();
    outputFolder_ = root_ / "out";
    fs::create_directory(outputFolder_, error);
    Require(!error, "the output folder can be made");
}

FuzzScratch::~FuzzScratch()
{
    std::error_code ignored;
    fs::remove_all(root_, ignored);
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
