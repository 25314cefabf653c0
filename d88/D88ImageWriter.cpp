#include "D88ImageWriter.h"

#include <algorithm>

#include "LittleEndian.h"

namespace {

constexpr std::size_t HeaderSize = 0x2B0;
constexpr std::size_t WriteProtectAt = 0x1A;
constexpr std::size_t MediaTypeAt = 0x1B;
constexpr std::size_t DiskSizeAt = 0x1C;
constexpr std::size_t TrackTableAt = 0x20;
constexpr std::size_t SectorHeaderSize = 16;
constexpr unsigned char WriteProtected = 0x10;
constexpr unsigned char FmDensity = 0x40;
constexpr unsigned char DeletedMark = 0x10;
constexpr std::uint32_t MaxSectorsInTrack = 0xFFFF;
constexpr std::size_t MaxDataSize = 0xFFFF;
constexpr std::uint64_t MaxImageSize = 0xFFFFFFFF;

void PutLe16(unsigned char* field, std::uint32_t value)
{
    field[0] = static_cast<unsigned char>(value & 0xFF);
    field[1] = static_cast<unsigned char>((value >> 8) & 0xFF);
}

void PutLe32(unsigned char* field, std::uint64_t value)
{
    for (std::size_t i = 0; i < 4; ++i) {
        field[i] = static_cast<unsigned char>((value >> (8 * i)) & 0xFF);
    }
}

}  // namespace

D88ImageWriter::D88ImageWriter(const unsigned char* name, std::size_t nameLength,
                               unsigned char mediaType, bool writeProtected)
    : image_(HeaderSize, 0)
{
    if (name != nullptr) {
        const unsigned char* nameEnd = std::find(name, name + std::min(nameLength, NameLength), 0);
        std::copy(name, nameEnd, image_.begin());
    }
    image_[WriteProtectAt] = writeProtected ? WriteProtected : 0;
    image_[MediaTypeAt] = mediaType;
}

bool D88ImageWriter::AddSector(int trackIndex, const D88SectorFields& fields, ByteSource& source,
                               std::uint64_t offset, std::size_t dataSize)
{
    if (trackIndex < 0 || trackIndex < currentTrack_ || trackIndex >= TrackCount ||
        dataSize > MaxDataSize ||
        std::uint64_t{image_.size()} + SectorHeaderSize + dataSize > MaxImageSize) {
        return false;
    }
    if (trackIndex == currentTrack_ && sectorsInTrack_ == MaxSectorsInTrack) {
        return false;
    }
    const std::size_t start = image_.size();
    image_.resize(start + SectorHeaderSize + dataSize, 0);
    if (source.ReadAt(offset, image_.data() + start + SectorHeaderSize, dataSize) != dataSize) {
        image_.resize(start);
        return false;
    }
    if (trackIndex != currentTrack_) {
        CloseTrack();
        currentTrack_ = trackIndex;
        trackStart_ = start;
        PutLe32(&image_[TrackTableAt + 4 * static_cast<std::size_t>(trackIndex)], start);
    }
    ++sectorsInTrack_;
    unsigned char* header = &image_[start];
    header[0] = fields.c;
    header[1] = fields.h;
    header[2] = fields.r;
    header[3] = fields.n;
    header[6] = fields.fm ? FmDensity : 0;
    header[7] = fields.deleted ? DeletedMark : 0;
    header[8] = fields.status;
    PutLe16(header + 14, static_cast<std::uint32_t>(dataSize));
    return true;
}

bool D88ImageWriter::AddPlainTrack(int trackIndex, int sectorCount, unsigned char n, bool fmDensity,
                                   ByteSource& source, std::uint64_t offset)
{
    if (n > MaxSizeCode || trackIndex < 0) {
        return false;
    }
    const std::size_t sectorSize = std::size_t{128} << n;
    D88SectorFields fields;
    fields.c = static_cast<unsigned char>(trackIndex / 2);
    fields.h = static_cast<unsigned char>(trackIndex % 2);
    fields.n = n;
    fields.fm = fmDensity;
    for (int r = 1; r <= sectorCount; ++r) {
        fields.r = static_cast<unsigned char>(r);
        if (!AddSector(trackIndex, fields, source, offset, sectorSize)) {
            return false;
        }
        offset += sectorSize;
    }
    return true;
}

// Every sector header of the track being closed gets the track's sector count.
void D88ImageWriter::CloseTrack()
{
    std::size_t sectorAt = trackStart_;
    for (std::uint32_t i = 0; i < sectorsInTrack_; ++i) {
        PutLe16(&image_[sectorAt + 4], sectorsInTrack_);
        sectorAt += SectorHeaderSize + DecodeLe16(&image_[sectorAt + 14]);
    }
    sectorsInTrack_ = 0;
}

std::vector<unsigned char> D88ImageWriter::Finish()
{
    CloseTrack();
    currentTrack_ = -1;
    PutLe32(&image_[DiskSizeAt], image_.size());
    std::vector<unsigned char> finished = std::move(image_);
    image_.clear();
    return finished;
}
