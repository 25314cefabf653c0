// D88File: reader for D88 disk-image files.
//
// A D88 file holds one or more floppy-disk images laid end to end. Each image
// starts with a 688-byte header (name, media type, disk size and a table of
// 164 track offsets), followed by its tracks. A track is a run of sectors,
// each a 16-byte header (C, H, R, N, sector count, ..., data size) and then
// its data. Sectors are found by their ID (C, H, R, N), the way a floppy
// controller addresses them, never by their position in the track.
//
// A raw, FDI, NFD or DCP/DCU file is read as the one D88 image it converts
// to, in memory; everything else is read as D88.
//
// The reader never prints and never exits: every failure is a return value.
// Every offset, size and count taken from the file is checked before use.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "ByteSource.h"
#include "D88Layout.h"
#include "ImageFormat.h"
#include "TrackIndex.h"

// One sector header as recorded in a track, for listings.
struct SectorHeaderInfo {
    std::uint8_t c;
    std::uint8_t h;
    std::uint8_t r;
    std::uint8_t n;
    // The "sectors in this track" field.
    std::uint16_t sectorCount;
    // d88::DensityMfm or d88::DensityFm.
    std::uint8_t density;
    // d88::NormalDataMark or d88::DeletedDataMark.
    std::uint8_t deletedMark;
    // The controller's status for the sector, 0x00 when it read cleanly.
    std::uint8_t status;
    std::uint16_t dataSize;
    // How much of the data lies inside both the image and the file.
    std::uint16_t dataBytesHeld;
};

// A sector a run of sectors read, with the status its header records.
struct SectorRead {
    std::int32_t trackIndex;
    std::uint8_t c;
    std::uint8_t h;
    std::uint8_t r;
    std::uint8_t n;
    std::uint8_t status;
};

// The sector numbers of a track, first to last: a run of sectors passes
// from the last one of a track to the first one of the next.
struct SectorRange {
    std::int32_t first;
    std::int32_t last;
};

class D88File {
public:
    static constexpr std::int32_t MaxImages = 64;
    static constexpr std::int32_t TrackCount = d88::TrackCount;

    // No file, no image. The destructor closes the file.
    D88File() = default;
    ~D88File() = default;
    D88File(const D88File&) = delete;
    D88File& operator=(const D88File&) = delete;

    // Opens `path` for binary reading and indexes its images; a file already
    // open is closed first. False only when the file cannot be opened, or is
    // neither a regular file nor a block device (a directory, a pipe, a
    // terminal, /dev/zero). A null `path` closes the file and returns true.
    bool Open(const char* path);
    bool Open(const std::filesystem::path& path);
    // The same for bytes from any source, such as bytes in memory; `path`,
    // when given, is the file they come from (a KryoFlux dump reads the
    // other track files beside it).
    void Open(std::unique_ptr<ByteSource> source, const std::filesystem::path* path = nullptr);
    // The same for a file already converted, such as a KryoFlux dump's
    // track files given together.
    void Open(ConvertedImage image);

    // The format the open file was recognised as.
    [[nodiscard]] ImageFormat GetFormat() const { return format_; }

    // How well each track and sector of a flux dump read; null for a file
    // of any other format.
    [[nodiscard]] const FluxDiskReport* GetFluxReport() const
    {
        return fluxReport_ ? &*fluxReport_ : nullptr;
    }

    [[nodiscard]] std::int32_t GetImageCount() const { return imageCount_; }

    // True when a further image follows the last one indexed, which only
    // the limit of MaxImages kept out.
    [[nodiscard]] bool HasImagesPastLimit() const { return hasImagesPastLimit_; }

    // Makes image `index` current and loads its header. On failure no image is
    // current.
    bool SelectImage(std::int32_t index);

    // The current image's name (at most 16 characters); empty when none.
    [[nodiscard]] const char* GetDiskName() const { return diskName_.data(); }

    // The current image's media type byte; -1 when no image is current.
    [[nodiscard]] std::int32_t GetMediaType() const { return mediaType_; }

    // Reads the sector with ID (c, h, r, n) from track `trackIndex` of the
    // current image into `dest`, at most `maxBytes` bytes. Returns the number
    // of bytes stored, 0 when the sector is not found or nothing was read.
    // `status`, when given, receives the status its header records.
    std::int32_t ReadSector(std::int32_t trackIndex, std::int32_t c, std::int32_t h, std::int32_t r,
                            std::int32_t n, unsigned char* dest, std::int32_t maxBytes,
                            std::uint8_t* status = nullptr);

    // Reads `totalBytes` bytes from consecutive sectors of size 128 << n,
    // starting at (trackIndex, c, h, r) and passing to the next track after
    // the last sector of `range`. Returns the bytes read in whole chunks: a
    // sector that cannot be read in full ends the run and is not counted.
    // `sectors`, when given, receives each sector counted, in order.
    std::int32_t ReadSectors(std::int32_t trackIndex, std::int32_t c, std::int32_t h,
                             std::int32_t r, std::int32_t n, SectorRange range, unsigned char* dest,
                             std::int32_t totalBytes, std::vector<SectorRead>* sectors = nullptr);

    // Lists the IDs of the sectors recorded in track `trackIndex`, four bytes
    // (C, H, R, N) per sector, as many as fit in `destBytes`. Returns the
    // bytes stored.
    std::int32_t ReadSectorIds(std::int32_t trackIndex, unsigned char* dest,
                               std::int32_t destBytes);

    // Lists the sector headers of track `trackIndex` in recorded order, as
    // far as ReadSector's walk goes (so every header listed is one a lookup
    // can reach, the first of its ID found), at most `maxSectors` of them,
    // into `headers` (replacing what it held). Returns false when the
    // current image does not record the track.
    bool ReadSectorHeaders(std::int32_t trackIndex, std::size_t maxSectors,
                           std::vector<SectorHeaderInfo>& headers);

    // The current image's write-protect byte (0x00 off, 0x10 on); -1 when no
    // image is current or its header cannot be read.
    std::int32_t ReadWriteProtect();

    // Where the current image starts in the file; -1 when none is current.
    [[nodiscard]] std::int64_t GetImageOffset() const { return imageOffset_; }
    // The current image's disk-size field; 0 when none is current.
    [[nodiscard]] std::uint32_t GetDiskSize() const { return diskSize_; }
    // The size of the open file, or of the D88 image a file of another
    // format was converted to; 0 when none is open.
    [[nodiscard]] std::uint64_t GetFileSize() const { return file_ == nullptr ? 0 : file_->Size(); }

private:
    // Where a walk through a track stands.
    struct TrackWalk {
        std::uint64_t position;
        std::uint64_t end;
        std::uint64_t walked;
        bool done;
        unsigned char header[d88::SectorHeaderSize];
        // Where the data of the header just walked starts.
        std::uint64_t dataAt;
    };
    [[nodiscard]] TrackWalk StartWalk(std::int32_t trackIndex) const;
    // Steps to the next sector header of the track, loading it into
    // `walk.header`; false where the walk ends.
    bool NextSector(TrackWalk& walk);

    // Track `trackIndex`, walked once per selected image and then looked up:
    // tracks that start at the same place share one index. Empty when the
    // track is not recorded.
    const TrackIndex& IndexedTrack(std::int32_t trackIndex);
    // The first sector of the ID on the track, or null.
    const IndexedSector* FindSector(std::int32_t trackIndex, std::int32_t c, std::int32_t h,
                                    std::int32_t r, std::int32_t n);

    void Close();
    // Indexes the images of `source`, read as D88.
    void IndexImages(std::unique_ptr<ByteSource> source);
    void ResetCurrentImage();
    bool ReadFull(std::uint64_t offset, unsigned char* dest, std::size_t count);
    // Where track `trackIndex` of the current image starts, or 0 when the
    // track cannot be read (an image never starts a track at offset 0).
    [[nodiscard]] std::uint64_t TrackStart(std::int32_t trackIndex) const;
    // Where the current image ends: no walk reads past it.
    [[nodiscard]] std::uint64_t ImageEnd() const;

    std::unique_ptr<ByteSource> file_;
    ImageFormat format_ = ImageFormat::D88;
    std::optional<FluxDiskReport> fluxReport_;
    std::int32_t imageCount_ = 0;
    bool hasImagesPastLimit_ = false;
    // Image offsets are 64-bit: up to 64 images of up to 4 GiB each.
    std::array<std::uint64_t, MaxImages> imageOffsets_{};
    std::uint32_t diskSize_ = 0;
    std::int64_t imageOffset_ = -1;
    std::array<std::uint32_t, TrackCount> trackTable_{};
    std::int32_t mediaType_ = -1;
    std::array<char, d88::NameLength + 1> diskName_{};
    // The current image's walked tracks, by where they start. Together they
    // hold at most about one entry per 16 bytes of the image; a track past
    // that is walked for each lookup into `unindexed_`.
    std::map<std::uint64_t, TrackIndex> trackIndexes_;
    std::size_t indexedSectors_ = 0;
    TrackIndex unindexed_;
};
