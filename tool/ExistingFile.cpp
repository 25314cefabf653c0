#include "ExistingFile.h"

#include <algorithm>
#include <cstring>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace {

constexpr std::size_t ChunkSize = std::size_t{64} * 1024;

#ifdef _WIN32
using Native = HANDLE;
const Native NoFile = INVALID_HANDLE_VALUE;

// The reparse-point flag opens a link itself rather than what it leads to.
Native OpenRegular(const std::filesystem::path& path, std::size_t length)
{
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    BY_HANDLE_FILE_INFORMATION information{};
    if (handle == INVALID_HANDLE_VALUE) {
        return NoFile;
    }
    const DWORD notPlain = FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY;
    if (!GetFileInformationByHandle(handle, &information) ||
        (information.dwFileAttributes & notPlain) != 0 ||
        ((std::uint64_t{information.nFileSizeHigh} << 32) | information.nFileSizeLow) != length) {
        CloseHandle(handle);
        return NoFile;
    }
    return handle;
}

std::size_t ReadSome(Native handle, unsigned char* dest, std::size_t count)
{
    DWORD got = 0;
    return ReadFile(handle, dest, static_cast<DWORD>(count), &got, nullptr) ? got : 0;
}

void CloseNative(Native handle)
{
    CloseHandle(handle);
}
#else
using Native = int;
constexpr Native NoFile = -1;

// O_NOFOLLOW: a link at the name is not followed, and so not the file.
Native OpenRegular(const std::filesystem::path& path, std::size_t length)
{
    const int descriptor =
        open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);  // NOLINT(*-vararg)
    struct stat information {};
    if (descriptor < 0) {
        return NoFile;
    }
    if (fstat(descriptor, &information) != 0 || !S_ISREG(information.st_mode) ||
        static_cast<std::uint64_t>(information.st_size) != length) {
        close(descriptor);
        return NoFile;
    }
    return descriptor;
}

std::size_t ReadSome(Native descriptor, unsigned char* dest, std::size_t count)
{
    for (;;) {
        const ssize_t got = read(descriptor, dest, count);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        return got > 0 ? static_cast<std::size_t>(got) : 0;
    }
}

void CloseNative(Native descriptor)
{
    close(descriptor);
}
#endif

}  // namespace

bool HoldsExactly(const std::filesystem::path& path, const unsigned char* data, std::size_t length)
{
    const Native file = OpenRegular(path, length);
    if (file == NoFile) {
        return false;
    }
    // No larger than the file: a region file is a few KB.
    std::vector<unsigned char> chunk(std::min(length, ChunkSize));
    std::size_t compared = 0;
    bool same = true;
    while (same && compared < length) {
        const std::size_t got =
            ReadSome(file, chunk.data(), std::min(chunk.size(), length - compared));
        same = got > 0 && std::memcmp(chunk.data(), data + compared, got) == 0;
        compared += got;
    }
    CloseNative(file);
    return same;
}
