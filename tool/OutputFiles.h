// The files the tool writes, in one folder, so that a user never loses one: an output replaces an
// existing file only once written in full, and never replaces the disk-image file being read.
#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "RegionSink.h"

class OutputFiles final : public RegionSink {
public:
    // `input` is the file being read; no output replaces it, whatever name or
    // link leads to it. Empty when the bytes come from elsewhere. The files
    // go into `folder`, the current one when empty.
    explicit OutputFiles(std::filesystem::path input = {}, std::filesystem::path folder = {});

    // Whether a regular file of this name is there (a link is not one).
    [[nodiscard]] bool Holds(const char* name) const override;

    // Writes `length` bytes as the file `name`, read in full or not alike.
    // A regular file of that name that already holds exactly these bytes is
    // left as it is, and so is a name this object last kept these very
    // bytes as (a file of many copies of a disk checks each file once).
    // Otherwise the data goes to a temporary file beside it, which replaces
    // `name` once written and closed in full; on any failure it is removed
    // and an existing `name` is left as it was.
    [[nodiscard]] bool Keep(const char* name, const unsigned char* data, std::size_t length,
                            bool complete) override;

private:
    [[nodiscard]] std::filesystem::path PathOf(const char* name) const { return folder_ / name; }
    // Keep's work in the folder.
    [[nodiscard]] bool KeepInFolder(const std::filesystem::path& path, const unsigned char* data,
                                    std::size_t length) const;

    std::filesystem::path input_;
    std::filesystem::path folder_;
    // What each name was last kept as.
    std::map<std::string, std::vector<unsigned char>> kept_;
};
