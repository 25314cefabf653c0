// A temporary file beside an output file, created under a name nobody else
// can have chosen, then renamed over the output once complete, or removed.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>

class TemporaryFile {
public:
    // Six characters of [0-9A-Za-z] for each new name: TARGET.XXXXXX.
    using NameSuffixes = std::function<std::string()>;
    static NameSuffixes RandomSuffixes();

    TemporaryFile() = default;
    // Removes the file unless it was renamed over its target.
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Creates a new file named `target` + "." + a suffix, in the target's
    // directory. The create fails when anything, a link included, is at
    // that name, and is then tried with the next suffix, a bounded number
    // of times. False when no name could be created.
    bool Create(const std::filesystem::path& target, const NameSuffixes& suffixes);

    bool Write(const unsigned char* data, std::size_t length);

    // Closes the file and renames it over the target. On failure the file is
    // removed and the target left as it was.
    bool Commit();

    [[nodiscard]] const std::filesystem::path& Path() const { return path_; }

private:
    bool Close();
    void Remove();

    std::filesystem::path target_;
    std::filesystem::path path_;
#ifdef _WIN32
    using NativeFile = void*;  // a HANDLE
    static constexpr NativeFile NoFile = nullptr;
#else
    using NativeFile = int;  // a file descriptor
    static constexpr NativeFile NoFile = -1;
#endif
    NativeFile file_ = NoFile;
};
