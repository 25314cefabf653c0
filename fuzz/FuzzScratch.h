// The private folder a fuzz target works in: the tool writes its output files
// into a folder of its own inside it.
#pragma once

#include <filesystem>
#include <string>

#include "ScratchDirectory.h"

class FuzzScratch {
public:
    FuzzScratch();
    FuzzScratch(const FuzzScratch&) = delete;
    FuzzScratch& operator=(const FuzzScratch&) = delete;

    // The empty folder the tool writes into.
    [[nodiscard]] const std::filesystem::path& OutputFolder() const { return outputFolder_; }

private:
    ScratchDirectory root_{"d88cut-fuzz-"};
    std::filesystem::path outputFolder_;
};

// Makes `folder` the current directory for as long as the object lives. The
// fuzzer and the replay runner name their files by relative paths, so the
// previous directory comes back before the input is done.
class CurrentDirectoryScope {
public:
    explicit CurrentDirectoryScope(const std::filesystem::path& folder);
    ~CurrentDirectoryScope();
    CurrentDirectoryScope(const CurrentDirectoryScope&) = delete;
    CurrentDirectoryScope& operator=(const CurrentDirectoryScope&) = delete;

private:
    std::filesystem::path previous_;
};
