#include "OutputFiles.h"

#include <algorithm>
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
    const auto last = kept_.find(name);
    if (last != kept_.end() && last->second.size() == length &&
        std::equal(data, data + length, last->second.begin())) {
        return true;
    }
    if (!KeepInFolder(PathOf(name), data, length)) {
        kept_.erase(name);
        return false;
    }
    kept_[name].assign(data, data + length);
    return true;
}

bool OutputFiles::KeepInFolder(const fs::path& path, const unsigned char* data,
                               std::size_t length) const
{
    // A rerun over the same dump finds its files already written, and
    // leaves them as they are.
    if (HoldsExactly(path, data, length)) {
        return true;
    }
    // Never replaced: the input, the same file as device and inode, or as
    // volume and file index, reached through any link.
    std::error_code error;
    if (!input_.empty() && fs::equivalent(input_, path, error)) {
        return false;
    }
    TemporaryFile temporary;
    return temporary.Create(path, TemporaryFile::RandomSuffixes()) &&
           temporary.Write(data, length) && temporary.Commit();
}
