// D88File: opening a D88 file, indexing its images and loading an image's
// header.
#include "D88File.h"

#include "LittleEndian.h"

bool D88File::Open(const char* path)
{
    if (path == nullptr) {
        Close();
        return true;
    }
    return Open(std::filesystem::path(path));
}

bool D88File::Open(const std::filesystem::path& path)
{
    Close();
    std::unique_ptr<ByteSource> source = OpenFileByteSource(path);
    if (source == nullptr) {
        return false;
    }
    Open(std::move(source), &path);
    return true;
}

void D88File::Open(std::unique_ptr<ByteSource> source, const std::filesystem::path* path)
{
    Close();
    if (source == nullptr) {
        return;
    }
    if (std::optional<ConvertedImage> converted = ConvertToD88(*source, path)) {
        Open(std::move(*converted));
        return;
    }
    IndexImages(std::move(source));
}

void D88File::Open(ConvertedImage image)
{
    Close();
    format_ = image.format;
    fluxReport_ = std::move(image.fluxReport);
    IndexImages(std::make_unique<MemoryByteSource>(std::move(image.d88)));
}

void D88File::IndexImages(std::unique_ptr<ByteSource> source)
{
    file_ = std::move(source);
    // Images follow one another with no gap: each starts where the previous
    // one's disk size ends.
    unsigned char header[d88::ImageHeaderSize];
    std::uint64_t offset = 0;
    while (ReadFull(offset, header, d88::ImageHeaderSize)) {
        if (imageCount_ == MaxImages) {
            hasImagesPastLimit_ = true;
            break;
        }
        imageOffsets_[static_cast<std::size_t>(imageCount_)] = offset;
        ++imageCount_;
        const std::uint32_t diskSize = DecodeLe32(header + d88::DiskSizeField);
        // The next image would start inside this one's header.
        if (diskSize < d88::ImageHeaderSize) {
            break;
        }
        offset += diskSize;
    }
}

void D88File::Close()
{
    file_.reset();
    format_ = ImageFormat::D88;
    fluxReport_.reset();
    imageCount_ = 0;
    hasImagesPastLimit_ = false;
    ResetCurrentImage();
}

void D88File::ResetCurrentImage()
{
    imageOffset_ = -1;
    mediaType_ = -1;
    diskSize_ = 0;
    trackTable_.fill(0);
    diskName_.fill('\0');
    trackIndexes_.clear();
    indexedSectors_ = 0;
    unindexed_ = {};
}

bool D88File::SelectImage(std::int32_t index)
{
    if (file_ == nullptr) {
        return false;
    }
    ResetCurrentImage();
    if (index < 0 || index >= imageCount_) {
        return false;
    }
    const std::uint64_t offset = imageOffsets_[static_cast<std::size_t>(index)];
    unsigned char header[d88::ImageHeaderSize];
    if (!ReadFull(offset, header, d88::ImageHeaderSize)) {
        return false;
    }

    for (std::size_t track = 0; track < trackTable_.size(); ++track) {
        trackTable_[track] =
            DecodeLe32(header + d88::TrackTableField + d88::TrackEntrySize * track);
    }
    mediaType_ = header[d88::MediaTypeField];
    diskSize_ = DecodeLe32(header + d88::DiskSizeField);
    // The name field need not be terminated: keep at most 16 characters, up
    // to the first NUL.
    const unsigned char* name = header + d88::NameField;
    for (std::size_t i = 0; i < d88::NameLength && name[i] != 0; ++i) {
        diskName_[i] = static_cast<char>(name[i]);
    }
    imageOffset_ = static_cast<std::int64_t>(offset);
    return true;
}

bool D88File::ReadFull(std::uint64_t offset, unsigned char* dest, std::size_t count)
{
    return file_->ReadAt(offset, dest, count) == count;
}
