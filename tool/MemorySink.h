// The files the extraction keeps, held in memory: what the web page offers
// for saving. Replacing follows the files on disk: a later region of a name
// takes the place of an earlier one, unless the extraction keeps the earlier.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "RegionSink.h"

struct KeptFile {
    std::vector<unsigned char> bytes;
    // Read in full with no recorded read error; otherwise damaged.
    bool complete = false;
};

class MemorySink final : public RegionSink {
public:
    MemorySink() = default;

    [[nodiscard]] bool Holds(const char* name) const override { return files_.count(name) != 0; }

    [[nodiscard]] bool Keep(const char* name, const unsigned char* data, std::size_t length,
                            bool complete) override
    {
        files_[name] = KeptFile{std::vector<unsigned char>(data, data + length), complete};
        return true;
    }

    // By name: BIOS98 and MUS00..MUS15 sort as the tool writes them.
    [[nodiscard]] const std::map<std::string, KeptFile>& Files() const { return files_; }
    void Clear() { files_.clear(); }

private:
    std::map<std::string, KeptFile> files_;
};
