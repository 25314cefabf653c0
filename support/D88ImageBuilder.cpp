#include "D88ImageBuilder.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "D88Layout.h"
#include "LittleEndian.h"

namespace {

std::size_t TrackEntry(int trackIndex)
{
    return d88::TrackTableField + d88::TrackEntrySize * static_cast<std::size_t>(trackIndex);
}

void AppendSector(Bytes& image, const BuiltSector& sector)
{
    const std::size_t start = image.size();
    image.resize(start + d88::SectorHeaderSize, 0);
    std::uint8_t* header = &image[start];
    header[d88::CylinderField] = sector.c;
    header[d88::HeadField] = sector.h;
    header[d88::RecordField] = sector.r;
    header[d88::SizeCodeField] = sector.n;
    EncodeLe16(header + d88::SectorCountField, sector.sectorCount);
    header[d88::DensityField] = sector.fm ? d88::DensityFm : d88::DensityMfm;
    header[d88::DeletedMarkField] = sector.deleted ? d88::DeletedDataMark : d88::NormalDataMark;
    header[d88::StatusField] = sector.status;
    EncodeLe16(header + d88::DataSizeField,
               sector.dataSizeField.value_or(static_cast<std::uint16_t>(sector.data.size())));
    image.insert(image.end(), sector.data.begin(), sector.data.end());
}

}  // namespace

D88ImageBuilder& D88ImageBuilder::Name(const std::string& name)
{
    name_.assign(name.begin(), name.end());
    name_.resize(std::min(name_.size(), d88::NameFieldSize));
    return *this;
}

D88ImageBuilder& D88ImageBuilder::MediaType(std::uint8_t mediaType)
{
    mediaType_ = mediaType;
    return *this;
}

D88ImageBuilder& D88ImageBuilder::Track(int trackIndex, std::vector<BuiltSector> sectors)
{
    tracks_[trackIndex] = std::move(sectors);
    return *this;
}

D88ImageBuilder& D88ImageBuilder::RemoveTrack(int trackIndex)
{
    tracks_.erase(trackIndex);
    return *this;
}

D88ImageBuilder& D88ImageBuilder::RemoveSector(int trackIndex, std::uint8_t r)
{
    auto& sectors = tracks_[trackIndex];
    sectors.erase(std::remove_if(sectors.begin(), sectors.end(),
                                 [r](const BuiltSector& sector) { return sector.r == r; }),
                  sectors.end());
    return *this;
}

D88ImageBuilder& D88ImageBuilder::TrackOffset(int trackIndex, std::uint32_t offset)
{
    forcedOffsets_[trackIndex] = offset;
    return *this;
}

D88ImageBuilder& D88ImageBuilder::DiskSize(std::uint32_t diskSize)
{
    forcedDiskSize_ = diskSize;
    return *this;
}

Bytes D88ImageBuilder::SectorData(int trackIndex, std::uint8_t r) const
{
    const auto track = tracks_.find(trackIndex);
    if (track != tracks_.end()) {
        for (const BuiltSector& sector : track->second) {
            if (sector.r == r) {
                return sector.data;
            }
        }
    }
    return {};
}

Bytes D88ImageBuilder::Build() const
{
    Bytes image(d88::ImageHeaderSize, 0);
    std::copy(name_.begin(), name_.end(), image.begin() + d88::NameField);
    image[d88::MediaTypeField] = mediaType_;
    for (const auto& [trackIndex, sectors] : tracks_) {
        if (trackIndex >= 0 && static_cast<std::size_t>(trackIndex) < d88::TrackCount) {
            EncodeLe32(&image[TrackEntry(trackIndex)], image.size());
        }
        for (const BuiltSector& sector : sectors) {
            AppendSector(image, sector);
        }
    }
    for (const auto& [trackIndex, offset] : forcedOffsets_) {
        EncodeLe32(&image[TrackEntry(trackIndex)], offset);
    }
    EncodeLe32(&image[d88::DiskSizeField],
               forcedDiskSize_.value_or(static_cast<std::uint32_t>(image.size())));
    return image;
}

Bytes PatternBytes(std::size_t size, std::uint32_t seed)
{
    Bytes bytes(size);
    std::uint32_t state = seed * 2654435761U + 0x9E3779B9U;
    for (std::uint8_t& byte : bytes) {
        state = state * 1103515245U + 12345U;
        byte = static_cast<std::uint8_t>(state >> 24);
    }
    return bytes;
}

std::vector<BuiltSector> UniformTrack(int trackIndex, int count, std::uint8_t n)
{
    std::vector<BuiltSector> sectors;
    for (int r = 1; r <= count; ++r) {
        BuiltSector sector;
        sector.c = static_cast<std::uint8_t>(trackIndex >> 1);
        sector.h = static_cast<std::uint8_t>(trackIndex & 1);
        sector.r = static_cast<std::uint8_t>(r);
        sector.n = n;
        sector.sectorCount = static_cast<std::uint16_t>(count);
        sector.data =
            PatternBytes(std::size_t{128} << n, static_cast<std::uint32_t>(trackIndex * 256 + r));
        sectors.push_back(std::move(sector));
    }
    return sectors;
}

Bytes Concat(const std::vector<Bytes>& images)
{
    Bytes all;
    for (const Bytes& image : images) {
        all.insert(all.end(), image.begin(), image.end());
    }
    return all;
}

bool WriteBytesToFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

Bytes ReadBytesFromFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void PutLe(Bytes& bytes, std::size_t offset, std::uint64_t value, std::size_t width)
{
    for (std::size_t i = 0; i < width; ++i) {
        bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}
