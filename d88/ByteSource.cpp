// The two kinds of ByteSource: bytes in memory, and an open file read
// through a buffer with the platform's own positional reads.
#include "ByteSource.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

std::size_t MemoryByteSource::ReadAt(std::uint64_t offset, unsigned char* dest, std::size_t count)
{
    if (offset >= bytes_.size()) {
        return 0;
    }
    const auto start = static_cast<std::size_t>(offset);
    const std::size_t length = std::min(count, bytes_.size() - start);
    std::memcpy(dest, bytes_.data() + start, length);
    return length;
}

namespace {

class OpenRefusal final : public std::error_category {
public:
    [[nodiscard]] const char* name() const noexcept override { return "d88 open"; }
    [[nodiscard]] std::string message(int /*value*/) const override
    {
        return "not a regular file or block device";
    }
};

#ifdef _WIN32
using NativeHandle = HANDLE;
const NativeHandle NoHandle = INVALID_HANDLE_VALUE;

NativeHandle OpenNative(const std::filesystem::path& path, std::error_code& error)
{
    // Others may read, write or rename the file meanwhile, as with fopen.
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        // A directory does not open without FILE_FLAG_BACKUP_SEMANTICS, and
        // the system then says only "access denied".
        const DWORD code = GetLastError();
        const DWORD attributes = GetFileAttributesW(path.c_str());
        error = code == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
                        (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0
                    ? std::make_error_code(std::errc::is_a_directory)
                    : std::error_code(static_cast<int>(code), std::system_category());
        return NoHandle;
    }
    // A disk file, never a pipe or a console.
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        error = NotADiskFileError();
        return NoHandle;
    }
    return handle;
}

void CloseNative(NativeHandle handle)
{
    CloseHandle(handle);
}

std::uint64_t NativeSize(NativeHandle handle)
{
    LARGE_INTEGER size{};
    return GetFileSizeEx(handle, &size) && size.QuadPart > 0
               ? static_cast<std::uint64_t>(size.QuadPart)
               : 0;
}

std::size_t NativeReadAt(NativeHandle handle, std::uint64_t offset, unsigned char* dest,
                         std::size_t count)
{
    std::size_t done = 0;
    while (done < count) {
        const std::uint64_t position = offset + done;
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(position & 0xFFFFFFFFu);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        DWORD got = 0;
        const auto wanted = static_cast<DWORD>(std::min<std::size_t>(count - done, 1u << 30));
        if (!ReadFile(handle, dest + done, wanted, &got, &at) || got == 0) {
            break;
        }
        done += got;
    }
    return done;
}
#else
using NativeHandle = int;
const NativeHandle NoHandle = -1;

NativeHandle OpenNative(const std::filesystem::path& path, std::error_code& error)
{
    // O_NONBLOCK: opening a FIFO that nobody writes to must not hang before
    // its type is seen. Regular files and block devices ignore the flag.
    const int descriptor =
        open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);  // NOLINT(*-vararg)
    if (descriptor < 0) {
        error.assign(errno, std::system_category());
        return NoHandle;
    }
    struct stat info {};
    if (fstat(descriptor, &info) != 0) {
        error.assign(errno, std::system_category());
    } else if (S_ISDIR(info.st_mode)) {
        error = std::make_error_code(std::errc::is_a_directory);
    } else if (!S_ISREG(info.st_mode) && !S_ISBLK(info.st_mode)) {
        error = NotADiskFileError();
    } else {
        return descriptor;
    }
    close(descriptor);
    return NoHandle;
}

void CloseNative(NativeHandle descriptor)
{
    close(descriptor);
}

std::uint64_t NativeSize(NativeHandle descriptor)
{
    // lseek, not fstat: a block device's size shows only this way.
    const off_t end = lseek(descriptor, 0, SEEK_END);
    return end > 0 ? static_cast<std::uint64_t>(end) : 0;
}

std::size_t NativeReadAt(NativeHandle descriptor, std::uint64_t offset, unsigned char* dest,
                         std::size_t count)
{
    std::size_t done = 0;
    while (done < count) {
        if (offset + done > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) {
            break;
        }
        const ssize_t got =
            pread(descriptor, dest + done, count - done, static_cast<off_t>(offset + done));
        if (got <= 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return done;
}
#endif

class FileByteSource final : public ByteSource {
public:
    FileByteSource(NativeHandle handle, std::uint64_t size) : handle_(handle), size_(size) {}
    ~FileByteSource() override { CloseNative(handle_); }
    FileByteSource(const FileByteSource&) = delete;
    FileByteSource& operator=(const FileByteSource&) = delete;

    std::size_t ReadAt(std::uint64_t offset, unsigned char* dest, std::size_t count) override
    {
        if (count >= BufferSize) {
            return NativeReadAt(handle_, offset, dest, count);
        }
        if (!Buffered(offset, count)) {
            bufferStart_ = offset;
            bufferLength_ = NativeReadAt(handle_, offset, buffer_.data(), BufferSize);
        }
        const std::uint64_t start = offset - bufferStart_;
        if (offset < bufferStart_ || start >= bufferLength_) {
            return 0;
        }
        const std::size_t length = std::min(count, bufferLength_ - static_cast<std::size_t>(start));
        std::memcpy(dest, buffer_.data() + static_cast<std::size_t>(start), length);
        return length;
    }

    [[nodiscard]] std::uint64_t Size() const override { return size_; }

private:
    [[nodiscard]] bool Buffered(std::uint64_t offset, std::size_t count) const
    {
        return offset >= bufferStart_ && offset - bufferStart_ <= bufferLength_ &&
               count <= bufferLength_ - (offset - bufferStart_);
    }

    // A sector walk reads a 16-byte header, skips the data, reads the next:
    // one buffer holds a track's headers and data for a few sectors.
    static constexpr std::size_t BufferSize = 16384;

    NativeHandle handle_;
    std::uint64_t size_;
    std::vector<unsigned char> buffer_ = std::vector<unsigned char>(BufferSize);
    std::uint64_t bufferStart_ = 0;
    std::size_t bufferLength_ = 0;
};

}  // namespace

std::error_code NotADiskFileError()
{
    static const OpenRefusal category;
    return {1, category};
}

std::unique_ptr<ByteSource> OpenFileByteSource(const std::filesystem::path& path,
                                               std::error_code& error)
{
    error.clear();
    const NativeHandle handle = OpenNative(path, error);
    if (handle == NoHandle) {
        return nullptr;
    }
    return std::make_unique<FileByteSource>(handle, NativeSize(handle));
}

std::unique_ptr<ByteSource> OpenFileByteSource(const std::filesystem::path& path)
{
    std::error_code ignored;
    return OpenFileByteSource(path, ignored);
}
