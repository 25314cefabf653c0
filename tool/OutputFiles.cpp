#include "OutputFiles.h"

#include <system_error>
#include <utility>

#include "TemporaryFile.h"

namespace fs = std::filesystem;

OutputFiles::OutputFiles(fs::path input) : input_(std::move(input))
{
}

bool OutputFiles::Holds(const char* name) const
{
    std::error_code error;
    return fs::symlink_status(name, error).type() == fs::file_type::regular;
}

bool OutputFiles::Keep(const char* name, const unsigned char* data, std::size_t length,
                       bool /*complete*/)
{
    std::error_code error;
    // The same file: device and inode, or volume and file index, reached
    // through any link.
    if (!input_.empty() && fs::equivalent(input_, name, error)) {
        return false;
    }
    TemporaryFile temporary;
    return temporary.Create(name, TemporaryFile::RandomSuffixes()) &&
           temporary.Write(data, length) && temporary.Commit();
}
