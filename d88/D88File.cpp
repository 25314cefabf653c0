// D88File: opening a D88 file, indexing its images and loading an image's
// header.
#include "D88File.h"

#include <cstring>
#include <filesystem>
#include <limits>
#include <system_error>

#include "LittleEndian.h"

namespace {

// Fields of the 688-byte image header.
constexpr int MediaTypeOffset = 0x1B;
constexpr int DiskSizeOffset = 0x1C;
constexpr int TrackTableOffset = 0x20;

}  // namespace

bool D88File::Open(const char* path)
{
    Close();
    if (path == nullptr) {
        return true;
    }
    // A directory can be opened for reading on some systems, but it is no
    // disk image.
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        return false;
    }
    file_.open(path, std::ios::binary);
    if (!file_.is_open()) {
        return false;
    }

    // Images follow one another with no gap: each starts where the previous
    // one's disk size ends.
    unsigned char header[ImageHeaderSize];
    std::uint64_t offset = 0;
    while (imageCount_ < MaxImages) {
        if (!SeekTo(offset) || ReadBytes(header, ImageHeaderSize) != ImageHeaderSize) {
            break;
        }
        imageOffsets_[static_cast<std::size_t>(imageCount_)] = offset;
        ++imageCount_;
        const std::uint32_t diskSize = DecodeLe32(header + DiskSizeOffset);
        // The next image would start inside this one's header.
        if (diskSize < ImageHeaderSize) {
            break;
        }
        offset += diskSize;
    }
    return true;
}

void D88File::Close()
{
    if (file_.is_open()) {
        file_.close();
    }
    file_.clear();
    imageCount_ = 0;
    ResetCurrentImage();
}

void D88File::ResetCurrentImage()
{
    imageOffset_ = -1;
    mediaType_ = -1;
    diskSize_ = 0;
    trackTable_.fill(0);
    diskName_.fill('\0');
}

bool D88File::SelectImage(std::int32_t index)
{
    if (!file_.is_open()) {
        return false;
    }
    ResetCurrentImage();
    if (index < 0 || index >= imageCount_) {
        return false;
    }
    const std::uint64_t offset = imageOffsets_[static_cast<std::size_t>(index)];
    unsigned char header[ImageHeaderSize];
    if (!SeekTo(offset) || ReadBytes(header, ImageHeaderSize) != ImageHeaderSize) {
        return false;
    }

    for (std::size_t track = 0; track < trackTable_.size(); ++track) {
        trackTable_[track] = DecodeLe32(header + TrackTableOffset + 4 * track);
    }
    mediaType_ = header[MediaTypeOffset];
    diskSize_ = DecodeLe32(header + DiskSizeOffset);
    // The name field is 17 bytes but need not be terminated: keep at most 16
    // characters, up to the first NUL.
    for (std::size_t i = 0; i < DiskNameLength && header[i] != 0; ++i) {
        diskName_[i] = static_cast<char>(header[i]);
    }
    imageOffset_ = static_cast<std::int64_t>(offset);
    return true;
}

void D88File::SetSectorRange(std::int32_t first, std::int32_t last)
{
    firstSector_ = first;
    lastSector_ = last;
}

bool D88File::SeekTo(std::uint64_t offset)
{
    if (offset > static_cast<std::uint64_t>(std::numeric_limits<std::streamoff>::max())) {
        return false;
    }
    // A read that reached the end of the file leaves the stream failed.
    file_.clear();
    file_.seekg(static_cast<std::streamoff>(offset), std::ios::beg);
    return !file_.fail();
}

std::streamsize D88File::ReadBytes(unsigned char* dest, std::streamsize count)
{
    // The stream reads chars; the bytes are the same.
    file_.read(reinterpret_cast<char*>(dest), count);
    return file_.gcount();
}

bool D88File::SkipBytes(std::streamsize count)
{
    // Reading past the bytes is cheaper than a seek, which would drop the
    // stream's buffer, and fails the same way at the end of the file.
    file_.ignore(count);
    return file_.gcount() == count;
}
