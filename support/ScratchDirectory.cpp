#include "ScratchDirectory.h"

#include <random>
#include <system_error>

ScratchDirectory::ScratchDirectory(const std::string& prefix)
{
    // Tests and fuzzers may run in parallel processes: pick names until one
    // is new. A folder that cannot be made at all throws.
    std::random_device random;
    const std::filesystem::path base =
        std::filesystem::absolute(std::filesystem::temp_directory_path());
    do {
        path_ = base / (prefix + std::to_string(random()));
    } while (!std::filesystem::create_directory(path_));
}

ScratchDirectory::~ScratchDirectory()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string ScratchDirectory::FilePath(const std::string& name) const
{
    return (path_ / name).string();
}
