#include "ImageFacts.h"

#include <algorithm>

#include "Checksums.h"
#include "RegionRead.h"

namespace {

std::vector<TrackFacts> CollectTracks(D88File& file, std::uint64_t bytesHeld)
{
    std::vector<TrackFacts> tracks;
    std::vector<SectorHeaderInfo> headers;
    std::uint64_t budget = bytesHeld / ImageBytesPerListedSector;
    for (std::int32_t index = 0; index < D88File::TrackCount; ++index) {
        const auto limit =
            static_cast<std::size_t>(std::min<std::uint64_t>(MaxListedSectors, budget));
        // One header past the limit tells whether the listing was cut.
        if (!file.ReadSectorHeaders(index, limit + 1, headers)) {
            continue;
        }
        const bool cut = headers.size() > limit;
        headers.resize(std::min(headers.size(), limit));
        budget -= headers.size();
        tracks.push_back({index, headers, cut});
    }
    return tracks;
}

// Reads the region as d88cut does: what cannot be read is written as zeros.
RegionFacts CollectRegion(D88File& file, const DiskRegion& region)
{
    const RegionBytes read = ReadRegion(file, region);
    RegionFacts facts{&region, read.bytesRead,     !read.FirstSectorMissing(), 0,
                      "",      read.recordedErrors};
    if (facts.fileWritten) {
        facts.crc32 = Crc32Of(read.bytes.data(), read.bytes.size());
        facts.sha256 = Sha256HexOf(read.bytes.data(), read.bytes.size());
    }
    return facts;
}

ImageFacts CollectImage(D88File& file, std::int32_t index)
{
    ImageFacts image{};
    image.index = index;
    file.SelectImage(index);
    image.offset = file.GetImageOffset();
    image.diskSize = file.GetDiskSize();
    const std::uint64_t start = image.offset < 0 ? 0 : static_cast<std::uint64_t>(image.offset);
    const std::uint64_t inFile = file.GetFileSize() > start ? file.GetFileSize() - start : 0;
    image.bytesHeld = std::min<std::uint64_t>(image.diskSize, inFile);
    image.name = file.GetDiskName();
    image.mediaType = file.GetMediaType();
    image.writeProtect = file.ReadWriteProtect();
    image.tracks = CollectTracks(file, image.bytesHeld);
    image.recognition = RecogniseDisk(file);
    if (image.recognition.disk != nullptr) {
        for (const DiskRegion& region : *image.recognition.disk) {
            image.regions.push_back(CollectRegion(file, region));
        }
    }
    return image;
}

}  // namespace

FileFacts CollectFileFacts(D88File& file)
{
    const FluxDiskReport* flux = file.GetFluxReport();
    FileFacts facts{file.GetFormat(),
                    file.GetFileSize(),
                    file.HasImagesPastLimit(),
                    {},
                    nullptr,
                    flux == nullptr ? std::nullopt : std::optional<FluxDiskReport>(*flux)};
    for (std::int32_t index = 0; index < file.GetImageCount(); ++index) {
        facts.images.push_back(CollectImage(file, index));
    }
    return facts;
}

bool IsRecorded(const ImageFacts& image, std::int32_t trackIndex)
{
    return std::any_of(image.tracks.begin(), image.tracks.end(),
                       [trackIndex](const TrackFacts& track) { return track.index == trackIndex; });
}
