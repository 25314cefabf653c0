// Where the extraction puts the regions it reads: files on disk for the
// command-line tool, memory for the web page. The extraction decides what is
// kept and prints the tool's messages; a sink only holds.
#pragma once

#include <cstddef>

class RegionSink {
public:
    RegionSink() = default;
    virtual ~RegionSink() = default;
    RegionSink(const RegionSink&) = delete;
    RegionSink& operator=(const RegionSink&) = delete;

    // Whether a file of this name is already kept: a damaged region never
    // takes its place.
    [[nodiscard]] virtual bool Holds(const char* name) const = 0;

    // Keeps `length` bytes as the file `name`, in place of any file of that
    // name; `complete` says whether the region was read in full and with no
    // recorded read error (otherwise it is damaged: the unread rest is
    // zeros). False when it could not be kept, and then an existing file of
    // that name is left as it was.
    [[nodiscard]] virtual bool Keep(const char* name, const unsigned char* data, std::size_t length,
                                    bool complete) = 0;

protected:
    RegionSink(RegionSink&&) = default;
    RegionSink& operator=(RegionSink&&) = default;
};
