// A fresh folder under the system's temporary directory for the files a test,
// a fuzz target or the benchmark writes; removed with everything in it when
// the object goes.
#pragma once

#include <filesystem>
#include <string>

class ScratchDirectory {
public:
    // The folder is named `prefix` and a random number. Its path is absolute,
    // so it stays valid when the current directory changes.
    explicit ScratchDirectory(const std::string& prefix = "d88cut-");
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    [[nodiscard]] const std::filesystem::path& Path() const { return path_; }

    // The path of file `name` inside the folder.
    [[nodiscard]] std::string FilePath(const std::string& name) const;

private:
    std::filesystem::path path_;
};
