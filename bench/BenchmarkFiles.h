// The files the benchmarks work on, made with the image builder in a fresh
// temporary folder that is removed again when the object is destroyed.
#pragma once

#include <cstdint>
#include <string>

#include "D88ImageBuilder.h"
#include "ScratchDirectory.h"

class BenchmarkFiles {
public:
    // Images of the title's size in the file of many images: as many as the
    // reader indexes.
    static constexpr int ManyImagesCount = 64;

    BenchmarkFiles() = default;
    BenchmarkFiles(const BenchmarkFiles&) = delete;
    BenchmarkFiles& operator=(const BenchmarkFiles&) = delete;

    // Writes the files; false, with `error` set, if any
    // step fails.
    bool Create(std::string& error);

    // Disk A then disk B of the title, as the tool's sample.
    [[nodiscard]] const std::string& SamplePath() const { return samplePath_; }
    // ManyImagesCount blank disks of the title's size.
    [[nodiscard]] const std::string& ManyImagesPath() const { return manyImagesPath_; }
    // The worst walk a hostile file of about 1.1 MB could ask for: 64 bare
    // image headers whose track entries all point at the next header, then
    // some 66,000 empty sector headers (counts 0xFFFF, then 1), then the
    // tracks of disk B.
    [[nodiscard]] const std::string& HostileWalkPath() const { return hostileWalkPath_; }
    // Disk B behind one long track of 66,000 sector headers, all of one ID.
    [[nodiscard]] const std::string& LongTrackPath() const { return longTrackPath_; }
    // The same with each header's ID its own.
    [[nodiscard]] const std::string& LongTrackIdsPath() const { return longTrackIdsPath_; }
    // An empty folder for the files the tool writes.
    [[nodiscard]] const std::string& ScratchPath() const { return scratchPath_; }
    // Where track `trackIndex` of the sample's first image starts in the file.
    [[nodiscard]] std::uint64_t SampleTrackOffset(int trackIndex) const;

private:
    ScratchDirectory folder_{"d88cut-bench-"};
    std::string samplePath_;
    std::string manyImagesPath_;
    std::string hostileWalkPath_;
    std::string longTrackPath_;
    std::string longTrackIdsPath_;
    std::string scratchPath_;
    // The track table of the sample's first image is read from here.
    Bytes sampleHeader_;
};
