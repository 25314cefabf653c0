// Composes D88 images byte by byte for tests, fuzz seeds, the benchmark and
// the sample image. Every field can be set to any value, including values no
// sane writer would produce, so the reader can be fed hostile images.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

struct BuiltSector {
    std::uint8_t c = 0;
    std::uint8_t h = 0;
    std::uint8_t r = 1;
    std::uint8_t n = 3;
    // The "sectors in this track" field of the header.
    std::uint16_t sectorCount = 1;
    Bytes data;
    // The recorded data size; data.size() when not set.
    std::optional<std::uint16_t> dataSizeField;
    bool fm = false;       // FM density; MFM otherwise
    bool deleted = false;  // deleted data mark
    std::uint8_t status = 0;
};

class D88ImageBuilder {
public:
    D88ImageBuilder& Name(const std::string& name);  // up to 17 raw bytes
    D88ImageBuilder& MediaType(std::uint8_t mediaType);
    // Records a track; tracks are laid out after the header in index order.
    D88ImageBuilder& Track(int trackIndex, std::vector<BuiltSector> sectors);
    D88ImageBuilder& RemoveTrack(int trackIndex);
    D88ImageBuilder& RemoveSector(int trackIndex, std::uint8_t r);
    // Forces a track-table entry, whether or not the track is recorded.
    D88ImageBuilder& TrackOffset(int trackIndex, std::uint32_t offset);
    // Forces the disk-size field (default: the built image's length).
    D88ImageBuilder& DiskSize(std::uint32_t diskSize);

    // The data of sector R of a recorded track; empty when there is none.
    [[nodiscard]] Bytes SectorData(int trackIndex, std::uint8_t r) const;
    std::vector<BuiltSector>& SectorsOf(int trackIndex) { return tracks_[trackIndex]; }
    [[nodiscard]] const std::map<int, std::vector<BuiltSector>>& Tracks() const { return tracks_; }
    [[nodiscard]] const Bytes& GetName() const { return name_; }
    [[nodiscard]] std::uint8_t GetMediaType() const { return mediaType_; }

    [[nodiscard]] Bytes Build() const;

private:
    Bytes name_;
    std::uint8_t mediaType_ = 0x20;
    std::map<int, std::vector<BuiltSector>> tracks_;
    std::map<int, std::uint32_t> forcedOffsets_;
    std::optional<std::uint32_t> forcedDiskSize_;
};

// `size` bytes that differ from sector to sector: seeded by `seed`.
Bytes PatternBytes(std::size_t size, std::uint32_t seed);

// A track of `count` sectors R 1..count with ID C = index >> 1, H = index & 1,
// size code `n` and 128 << n bytes of PatternBytes each.
std::vector<BuiltSector> UniformTrack(int trackIndex, int count = 8, std::uint8_t n = 3);

Bytes Concat(const std::vector<Bytes>& images);
// Writes the low `width` bytes of `value` little-endian at `offset`, which
// must lie inside `bytes` with them: the fields of every format's builder.
void PutLe(Bytes& bytes, std::size_t offset, std::uint64_t value, std::size_t width);
bool WriteBytesToFile(const std::string& path, const Bytes& bytes);
Bytes ReadBytesFromFile(const std::string& path);
