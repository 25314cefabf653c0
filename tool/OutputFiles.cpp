#include "OutputFiles.h"

#include <system_error>
#include <utility>

#include "ExistingFile.h"
#include "TemporaryFile.h"

namespace fs = std::filesystem;

OutputFiles::OutputFiles(fs::path input, fs::path folder)
    : input_(std::move(input)), folder_(std::move(folder))
{
}

bool OutputFiles::Holds(const char* name) const
{
    std::error_code error;
    return fs::symlink_status(PathOf(name), error).type() == fs::file_type::regular;
}

bool OutputFiles::Keep(const char* name, const unsigned char* data, std::size_t length,
                       bool /*complete*/)
{
    std::error_code error;
    // The same file: device and inode, or volume and file index, reached
    // through any link.
    const fs::path path = PathOf(name);
    if (!input_.empty() && fs::equivalent(input_, path, error)) {
        return false;
    }
    // A rerun over the same dump finds its files already written.
    if (HoldsExactly(path, data, length)) {
        return true;
    }
    TemporaryFile temporary;
    return temporary.Create(path, TemporaryFile::RandomSuffixes()) &&
           temporary.Write(data, length) && temporary.Commit();
}
