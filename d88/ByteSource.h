// ByteSource: the bytes of a disk-image file, read by position.
//
// The reader and the format readers see a file only through this: "copy N
// bytes from offset O". An open file and bytes in memory are the two kinds,
// so an image converted from another format, or a fuzzer's input, is read
// exactly as a file is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

class ByteSource {
public:
    ByteSource() = default;
    virtual ~ByteSource() = default;
    ByteSource(const ByteSource&) = delete;
    ByteSource& operator=(const ByteSource&) = delete;

    // Copies up to `count` bytes from `offset` into `dest` and returns how
    // many were copied: fewer only where the source ends (or cannot be read).
    virtual std::size_t ReadAt(std::uint64_t offset, unsigned char* dest, std::size_t count) = 0;

    // The number of bytes the source holds.
    [[nodiscard]] virtual std::uint64_t Size() const = 0;
};

class MemoryByteSource final : public ByteSource {
public:
    explicit MemoryByteSource(std::vector<unsigned char> bytes) : bytes_(std::move(bytes)) {}

    std::size_t ReadAt(std::uint64_t offset, unsigned char* dest, std::size_t count) override;
    [[nodiscard]] std::uint64_t Size() const override { return bytes_.size(); }

private:
    std::vector<unsigned char> bytes_;
};

// A file opened for reading. Only a regular file or a block device opens: a
// directory, a pipe, a socket, a terminal or a character device such as
// /dev/zero is no disk image, and reading one could block or never end.
// Reads go through a small buffer, since a sector walk reads 16-byte headers
// one after another.
std::unique_ptr<ByteSource> OpenFileByteSource(const std::filesystem::path& path);
// The same, with the reason when the file does not open: the system's error
// (errno, or GetLastError on Windows), std::errc::is_a_directory, or
// NotADiskFileError() for any other file that is no disk file.
std::unique_ptr<ByteSource> OpenFileByteSource(const std::filesystem::path& path,
                                               std::error_code& error);

// A pipe, a socket, a terminal or a character device: no disk image.
std::error_code NotADiskFileError();
