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

SignatureFacts CheckFor(D88File& file, const char* disk, const DiskSignature& signature)
{
    std::vector<unsigned char> sector(TitleSectorBytes);
    const SignatureCheck check = CheckSignature(file, signature, sector.data());
    std::string found;
    if (check.finding == SignatureFinding::Present ||
        check.finding == SignatureFinding::Different) {
        const auto first = sector.begin() + signature.offset;
        found.assign(first, first + signature.length);
    }
    return {disk, &signature, check, found};
}

// Reads the region as d88cut does: what cannot be read is written as zeros.
RegionFacts CollectRegion(D88File& file, const DiskRegion& region)
{
    std::vector<unsigned char> bytes(static_cast<std::size_t>(region.skip + region.length));
    const std::int32_t got = ReadRegion(file, region, bytes.data());
    RegionFacts facts{&region, std::max(got - region.skip, 0), got > 0, 0, ""};
    if (facts.fileWritten) {
        const unsigned char* content = bytes.data() + region.skip;
        const auto length = static_cast<std::size_t>(region.length);
        facts.crc32 = Crc32Of(content, length);
        facts.sha256 = Sha256HexOf(content, length);
    }
    return facts;
}

std::vector<RegionFacts> CollectRegions(D88File& file, const char* disk)
{
    std::vector<RegionFacts> regions;
    if (disk == std::string("A")) {
        regions.push_back(CollectRegion(file, Bios98Region));
    } else {
        for (const DiskRegion& region : MusicRegionTable) {
            regions.push_back(CollectRegion(file, region));
        }
    }
    return regions;
}

ImageFacts CollectImage(D88File& file, std::int32_t index)
{
    ImageFacts image{};
    image.index = index;
    file.SelectImage(index);
    file.SetSectorRange(TitleFirstSector, TitleLastSector);
    image.offset = file.GetImageOffset();
    image.diskSize = file.GetDiskSize();
    const std::uint64_t start = image.offset < 0 ? 0 : static_cast<std::uint64_t>(image.offset);
    const std::uint64_t inFile = file.GetFileSize() > start ? file.GetFileSize() - start : 0;
    image.bytesHeld = std::min<std::uint64_t>(image.diskSize, inFile);
    image.name = file.GetDiskName();
    image.mediaType = file.GetMediaType();
    image.writeProtect = file.ReadWriteProtect();
    image.tracks = CollectTracks(file, image.bytesHeld);
    image.signatures = {CheckFor(file, "A", DiskASignature), CheckFor(file, "B", DiskBSignature)};
    // Disk A is tested first, as d88cut does.
    for (const SignatureFacts& signature : image.signatures) {
        if (image.recognisedAs == nullptr && signature.check.finding == SignatureFinding::Present) {
            image.recognisedAs = signature.disk;
        }
    }
    if (image.recognisedAs != nullptr) {
        image.regions = CollectRegions(file, image.recognisedAs);
    }
    return image;
}

}  // namespace

FileFacts CollectFileFacts(D88File& file)
{
    FileFacts facts{file.GetFormat(), file.GetFileSize(), file.HasImagesPastLimit(), {}};
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
