#include "OutputFile.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

namespace fs = std::filesystem;

constexpr int TemporaryNameAttempts = 100;

bool PathIsFree(const std::string& path)
{
    std::error_code error;
    // symlink_status, so that a dangling link counts as taken.
    return fs::symlink_status(path, error).type() == fs::file_type::not_found;
}

// A name beside `target` that nothing in the directory has yet, so the
// temporary file never overwrites a file of the user's; empty if none is
// found.
std::string FreeTemporaryName(const std::string& target)
{
    for (int attempt = 0; attempt < TemporaryNameAttempts; ++attempt) {
        std::string candidate = target + ".tmp";
        if (attempt > 0) {
            candidate += std::to_string(attempt);
        }
        if (PathIsFree(candidate)) {
            return candidate;
        }
    }
    return {};
}

bool WriteWholeFile(const std::string& path, const unsigned char* data, std::size_t length)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    // The last buffered bytes are written by the flush, which can fail too;
    // it is checked on its own because not every C library's fclose reports
    // a failed flush (Wine's msvcrt does not).
    const bool written = std::fwrite(data, 1, length, file) == length && std::fflush(file) == 0;
    const bool closed = std::fclose(file) == 0;
    return written && closed;
}

}  // namespace

bool WriteFileReplacing(const char* name, const unsigned char* data, std::size_t length)
{
    const std::string temporary = FreeTemporaryName(name);
    if (temporary.empty()) {
        return false;
    }
    std::error_code error;
    // filesystem::rename replaces an existing file on Windows too, where a
    // plain rename onto an existing name fails.
    if (WriteWholeFile(temporary, data, length)) {
        fs::rename(temporary, name, error);
        if (!error) {
            return true;
        }
    }
    fs::remove(temporary, error);
    return false;
}
