#include "D88ImageWriter.h"

#include <algorithm>
#include <cstring>

#include "LittleEndian.h"

namespace {

constexpr std::uint32_t MaxSectorsInTrack = 0xFFFF;
constexpr std::size_t MaxDataSize = 0xFFFF;
constexpr std::uint64_t MaxImageSize = 0xFFFFFFFF;

}  // namespace

D88ImageWriter::D88ImageWriter(const unsigned char* name, std::size_t nameLength,
                               unsigned char mediaType, bool writeProtected)
    : image_(d88::ImageHeaderSize, 0)
{
    if (name != nullptr) {
        const unsigned char* nameEnd =
            std::find(name, name + std::min(nameLength, d88::NameLength), 0);
        std::copy(name, nameEnd, image_.begin() + d88::NameField);
    }
    image_[d88::WriteProtectField] = writeProtected ? d88::WriteProtectOn : d88::WriteProtectOff;
    image_[d88::MediaTypeField] = mediaType;
}

unsigned char* D88ImageWriter::AppendSector(int trackIndex, const D88SectorFields& fields,
                                            std::size_t dataSize)
{
    if (trackIndex < 0 || trackIndex < currentTrack_ ||
        trackIndex >= static_cast<int>(d88::TrackCount) || dataSize > MaxDataSize ||
        std::uint64_t{image_.size()} + d88::SectorHeaderSize + dataSize > MaxImageSize) {
        return nullptr;
    }
    if (trackIndex == currentTrack_ && sectorsInTrack_ == MaxSectorsInTrack) {
        return nullptr;
    }
    const std::size_t start = image_.size();
    image_.resize(start + d88::SectorHeaderSize + dataSize, 0);
    if (trackIndex != currentTrack_) {
        CloseTrack();
        currentTrack_ = trackIndex;
        trackStart_ = start;
        EncodeLe32(&image_[d88::TrackTableField +
                           d88::TrackEntrySize * static_cast<std::size_t>(trackIndex)],
                   start);
    }
    ++sectorsInTrack_;
    unsigned char* header = &image_[start];
    header[d88::CylinderField] = fields.c;
    header[d88::HeadField] = fields.h;
    header[d88::RecordField] = fields.r;
    header[d88::SizeCodeField] = fields.n;
    header[d88::DensityField] = fields.fm ? d88::DensityFm : d88::DensityMfm;
    header[d88::DeletedMarkField] = fields.deleted ? d88::DeletedDataMark : d88::NormalDataMark;
    header[d88::StatusField] = fields.status;
    EncodeLe16(header + d88::DataSizeField, static_cast<std::uint32_t>(dataSize));
    return header + d88::SectorHeaderSize;
}

bool D88ImageWriter::AddSector(int trackIndex, const D88SectorFields& fields, ByteSource& source,
                               std::uint64_t offset, std::size_t dataSize)
{
    // Read first, so that a source that ends early leaves the image as it was.
    if (dataSize > MaxDataSize) {
        return false;
    }
    scratch_.resize(dataSize);
    if (dataSize != 0 && source.ReadAt(offset, scratch_.data(), dataSize) != dataSize) {
        return false;
    }
    return AddSector(trackIndex, fields, scratch_.data(), dataSize);
}

bool D88ImageWriter::AddSector(int trackIndex, const D88SectorFields& fields,
                               const unsigned char* data, std::size_t dataSize)
{
    unsigned char* dest = AppendSector(trackIndex, fields, dataSize);
    if (dest == nullptr) {
        return false;
    }
    if (dataSize != 0) {
        std::memcpy(dest, data, dataSize);
    }
    return true;
}

bool D88ImageWriter::AddPlainTrack(int trackIndex, int sectorCount, unsigned char n, bool fmDensity,
                                   ByteSource& source, std::uint64_t offset)
{
    if (n > d88::MaxSizeCode || trackIndex < 0) {
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
        EncodeLe16(&image_[sectorAt + d88::SectorCountField], sectorsInTrack_);
        sectorAt += d88::SectorHeaderSize + DecodeLe16(&image_[sectorAt + d88::DataSizeField]);
    }
    sectorsInTrack_ = 0;
}

std::vector<unsigned char> D88ImageWriter::Finish()
{
    CloseTrack();
    currentTrack_ = -1;
    EncodeLe32(&image_[d88::DiskSizeField], image_.size());
    std::vector<unsigned char> finished = std::move(image_);
    image_.clear();
    return finished;
}
