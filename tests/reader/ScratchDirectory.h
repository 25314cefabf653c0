// A fresh folder under the system's temporary directory for the files one
// test writes; removed with everything in it when the object goes.
#pragma once

#include <filesystem>
#include <string>

class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    [[nodiscard]] const std::filesystem::path& Path() const { return path_; }

    // The path of file `name` inside the folder.
    [[nodiscard]] std::string FilePath(const std::string& name) const;

private:
    std::filesystem::path path_;
};
