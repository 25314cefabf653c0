// What d88info finds in a file, gathered in one pass over each image, so
// that the text and the JSON reports say the same.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "D88File.h"
#include "DiskRecognition.h"
#include "TitleLayout.h"

// A track lists at most this many sector headers: more than any real track
// holds, few enough that a hostile image cannot make a listing huge.
inline constexpr std::size_t MaxListedSectors = 256;
// An image lists at most one header per this many of its bytes. A real
// sector takes at least 144 (a header and 128 bytes of data), so only
// tracks that walk the same headers again and again reach the bound, and the
// report stays in proportion to the file.
inline constexpr std::uint64_t ImageBytesPerListedSector = 32;

struct TrackFacts {
    std::int32_t index;
    std::vector<SectorHeaderInfo> sectors;
    // More headers followed than the listing's bounds let in.
    bool listingCut;
};

// A file d88cut would write, as it would write it.
struct RegionFacts {
    const DiskRegion* region;
    // Bytes of the region read; the rest of the file is zeros.
    std::int32_t bytesRead;
    // No file is written when the region's first sector cannot be read.
    bool fileWritten;
    std::uint32_t crc32;
    std::string sha256;  // lowercase hex; empty when the hash failed
    // Sectors read in full that the image records as read with an error:
    // d88cut writes such a region only where no file of its name is.
    std::vector<SectorRead> recordedErrors;
};

struct ImageFacts {
    std::int32_t index;
    std::int64_t offset;
    std::uint32_t diskSize;
    // How many bytes of the disk size the file holds.
    std::uint64_t bytesHeld;
    std::string name;  // as recorded: Shift_JIS, most often
    std::int32_t mediaType;
    std::int32_t writeProtect;
    // Recorded tracks only, in index order.
    std::vector<TrackFacts> tracks;
    // Disk A's signature, then disk B's: the order d88cut tests them in.
    Recognition recognition;
    std::vector<RegionFacts> regions;
};

struct NotAnImage;

struct FileFacts {
    ImageFormat format;
    // The size of the file, or of the D88 image another format converts to.
    std::uint64_t d88Bytes;
    bool imagesPastLimit;
    std::vector<ImageFacts> images;
    // Set for a file that holds no image: what it is instead.
    const NotAnImage* notAnImage = nullptr;
    // For a flux dump: how well each track and sector read.
    std::optional<FluxDiskReport> flux;
};

// Reads every image of the open file.
FileFacts CollectFileFacts(D88File& file);

// Whether track `trackIndex` of an image holds facts.
bool IsRecorded(const ImageFacts& image, std::int32_t trackIndex);
