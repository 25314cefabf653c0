// Fuzz target over the D88 reader: any bytes are read as a D88 file, in
// memory. The other formats, which convert to D88 images, have targets of
// their own (fuzz_formats, fuzz_flux); fuzz_tool runs them through the reader.
//
// Every indexed image is selected, every track's sector IDs are listed,
// listed sectors are read with several byte limits, and runs are read across
// track ends with both sector ranges, 1..8 and 1..16. For every file, however
// hostile, this must hold: no call returns more than it was asked for, no
// call writes outside its destination, a read stores exactly the bytes it
// reports, and selecting an image again loads the same header data.
#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include "D88File.h"
#include "FuzzCheck.h"
#include "FuzzTarget.h"
#include "GuardedDestination.h"

namespace {

// The data-size field of a sector header is 16-bit.
constexpr std::int32_t LargestDataSize = 0xFFFF;
// For calls whose sector range does not matter.
constexpr SectorRange AnyRange = {1, 16};
constexpr std::int32_t IdSize = 4;
constexpr std::int32_t ListedIdLimit = 64;
constexpr std::int32_t SectorsReadPerTrack = 16;
constexpr std::int32_t RunStartsPerImage = 8;
constexpr std::int32_t RunBytesLimit = 0x10000;
// A hostile file can point every track of 64 images at one long chain of
// sector headers; this bounds the reader calls per input.
constexpr std::int32_t CallBudget = 20000;

// Each read is made twice, over two different fillings: a byte the call
// reports as stored must come out the same both times, a byte it does not
// report must keep the filling.
constexpr unsigned char FirstFill = 0x5A;
constexpr unsigned char SecondFill = 0xA5;

struct HeaderData {
    std::array<char, d88::NameLength + 1> name{};
    std::int32_t mediaType = 0;

    bool operator==(const HeaderData& other) const
    {
        return name == other.name && mediaType == other.mediaType;
    }
};

HeaderData CurrentHeaderData(const D88File& file)
{
    HeaderData header;
    const char* name = file.GetDiskName();
    // The name is at most 16 characters and always terminated.
    Require(std::memchr(name, 0, header.name.size()) != nullptr, "the disk name is terminated");
    std::copy(name, name + std::strlen(name), header.name.begin());
    header.mediaType = file.GetMediaType();
    return header;
}

struct SectorId {
    std::int32_t c, h, r, n;
};

class ReaderProbe {
public:
    ReaderProbe(D88File& file, GuardedDestination& first, GuardedDestination& second)
        : file_(file), first_(first), second_(second)
    {
    }

    [[nodiscard]] bool WithinBudget() const { return calls_ < CallBudget; }

    // Makes `read(dest, size)` twice, over each filling, checks every
    // promise about what it wrote, and returns its count. The bytes it
    // stored are then at Stored(). Only a run read may write more than it
    // counts: the part of the sector that ended the run, up to one chunk.
    template <typename Read>
    std::int32_t Checked(std::int32_t size, Read read, std::int32_t uncountedChunk = 0)
    {
        calls_ += 2;
        const std::size_t bytes = static_cast<std::size_t>(std::max(size, 0));
        const std::int32_t got = read(first_.Prepare(bytes), size);
        Require(got >= 0 && got <= std::max(size, 0), "a call returns no more than asked for");
        const std::int32_t again = read(second_.Prepare(bytes), size);
        Require(again == got, "the same call returns the same count");
        const auto stored = static_cast<std::size_t>(got);
        const std::size_t written =
            std::min(bytes, stored + static_cast<std::size_t>(uncountedChunk));
        Require(first_.OnlyFirstBytesWritten(written) && second_.OnlyFirstBytesWritten(written),
                "a call writes only the bytes it reports, and nothing outside its destination");
        Require(std::memcmp(first_.Data(), second_.Data(), stored) == 0,
                "a call stores every byte it reports");
        return got;
    }

    const unsigned char* Stored() { return first_.Data(); }

    void ProbeImage()
    {
        std::vector<std::pair<std::int32_t, SectorId>> runStarts;
        for (std::int32_t track = -1; track <= D88File::TrackCount && WithinBudget(); ++track) {
            const std::vector<SectorId> ids = ListTrack(track);
            // Runs start from the first sector of the first tracks listing
            // any, and the read limits are tried on those sectors only.
            const bool runStart =
                !ids.empty() && runStarts.size() < static_cast<std::size_t>(RunStartsPerImage);
            for (std::size_t k = 0; k < ids.size() && WithinBudget(); ++k) {
                if (k < static_cast<std::size_t>(SectorsReadPerTrack)) {
                    ReadListedSector(track, ids[k], runStart && k == 0);
                }
            }
            if (runStart) {
                runStarts.emplace_back(track, ids.front());
            }
        }
        for (const auto& [track, sectorId] : runStarts) {
            for (const std::int32_t lastSector : {8, 16}) {
                ReadRuns(track, sectorId, lastSector);
            }
        }
    }

    // Calls that must be refused without a byte written.
    void ProbeRefusedCalls()
    {
        const std::int32_t destBytes = 16;
        for (const std::int32_t n : {-1, 8, 31, 32, INT32_MIN, INT32_MAX}) {
            Require(Checked(destBytes,
                            [&](unsigned char* dest, std::int32_t size) {
                                return file_.ReadSectors(0, 0, 0, 1, n, AnyRange, dest, size);
                            }) == 0,
                    "a run read with a size code outside 0..7 reads nothing");
        }
        Require(Checked(0,
                        [&](unsigned char* dest, std::int32_t) {
                            return file_.ReadSector(0, 0, 0, 1, 0, dest, -1);
                        }) == 0,
                "a read with a negative limit reads nothing");
        Require(Checked(0,
                        [&](unsigned char* dest, std::int32_t) {
                            return file_.ReadSectors(0, 0, 0, 1, 0, AnyRange, dest, -1);
                        }) == 0,
                "a run read of a negative length reads nothing");
        Require(Checked(0, [&](unsigned char* dest,
                               std::int32_t) { return file_.ReadSectorIds(0, dest, -4); }) == 0,
                "a listing into a negative size lists nothing");
        Require(file_.ReadSector(0, 0, 0, 1, 3, nullptr, 1024) == 0 &&
                    file_.ReadSectors(0, 0, 0, 1, 3, AnyRange, nullptr, 1024) == 0 &&
                    file_.ReadSectorIds(0, nullptr, 1024) == 0,
                "a null destination reads nothing");
    }

    void ProbeClosedFile()
    {
        ProbeRefusedCalls();
        Require(Checked(1024,
                        [&](unsigned char* dest, std::int32_t size) {
                            return file_.ReadSectorIds(0, dest, size) +
                                   file_.ReadSector(0, 0, 0, 1, 3, dest, size) +
                                   file_.ReadSectors(0, 0, 0, 1, 3, AnyRange, dest, size);
                        }) == 0,
                "a closed file reads nothing");
    }

private:
    std::vector<SectorId> ListTrack(std::int32_t track)
    {
        // One byte short of a further entry, so an entry written in part shows.
        const std::int32_t listed = Checked(ListedIdLimit * IdSize + IdSize - 1,
                                            [&](unsigned char* dest, std::int32_t size) {
                                                return file_.ReadSectorIds(track, dest, size);
                                            });
        Require(listed % IdSize == 0, "a listing holds whole entries");
        if (track < 0 || track >= D88File::TrackCount) {
            Require(listed == 0, "a track index outside 0..163 lists nothing");
        }
        std::vector<SectorId> ids;
        const unsigned char* entries = Stored();
        for (std::int32_t at = 0; at < listed; at += IdSize) {
            ids.push_back({entries[at], entries[at + 1], entries[at + 2], entries[at + 3]});
        }
        // A smaller destination lists the same track only shorter.
        const std::int32_t first = Checked(IdSize + 2, [&](unsigned char* dest, std::int32_t size) {
            return file_.ReadSectorIds(track, dest, size);
        });
        Require(first == std::min(listed, IdSize), "a shorter listing stops at its destination");
        if (first == IdSize) {
            const SectorId& sectorId = ids.front();
            const unsigned char* entry = Stored();
            Require(entry[0] == sectorId.c && entry[1] == sectorId.h && entry[2] == sectorId.r &&
                        entry[3] == sectorId.n,
                    "a shorter listing begins like the full one");
        }
        return ids;
    }

    void ReadListedSector(std::int32_t track, const SectorId& sectorId, bool tryLimits)
    {
        const auto readSector = [&](unsigned char* dest, std::int32_t size) {
            return file_.ReadSector(track, sectorId.c, sectorId.h, sectorId.r, sectorId.n, dest,
                                    size);
        };
        const std::int32_t nominal = sectorId.n <= d88::MaxSizeCode ? 128 << sectorId.n : 1024;
        const std::int32_t got = Checked(nominal, readSector);
        // The limits below are tried on a few sectors per image, to keep the
        // fuzzer fast.
        if (!tryLimits) {
            return;
        }
        const std::vector<unsigned char> data(Stored(), Stored() + got);
        if (got > 1) {
            // A lower limit cuts the same data shorter.
            const std::int32_t limit = got / 2;
            Require(Checked(limit, readSector) == limit,
                    "a read limited below the data stores exactly its limit");
            Require(std::memcmp(Stored(), data.data(), static_cast<std::size_t>(limit)) == 0,
                    "a limited read stores the start of the same data");
        }
        Require(Checked(0, readSector) == 0, "a read limited to 0 bytes stores nothing");
        // Room for any data size: never less than before, never beyond what a
        // data-size field can hold.
        const std::int32_t whole = Checked(LargestDataSize + 1, readSector);
        Require(whole >= got && whole <= LargestDataSize,
                "a read with room for any data size stores the whole data");
        Require(data.empty() || std::memcmp(Stored(), data.data(), data.size()) == 0,
                "a read with more room stores the same data first");
    }

    void ReadRuns(std::int32_t track, const SectorId& sectorId, std::int32_t lastSector)
    {
        if (sectorId.n > d88::MaxSizeCode) {
            Require(Checked(1024,
                            [&](unsigned char* dest, std::int32_t size) {
                                return file_.ReadSectors(track, sectorId.c, sectorId.h, sectorId.r,
                                                         sectorId.n, {1, lastSector}, dest, size);
                            }) == 0,
                    "a run read with a size code outside 0..7 reads nothing");
            return;
        }
        const std::int32_t chunk = 128 << sectorId.n;
        // From the listed sector over three tracks' worth of sectors, and
        // from the last sector of the range, so that the run passes to the
        // next track after its first chunk and ends inside a sector.
        struct Run {
            std::int32_t r;
            std::int32_t total;
        };
        const Run runs[] = {{sectorId.r, std::min(chunk * 3 * lastSector, RunBytesLimit)},
                            {lastSector, chunk * 3 + chunk / 2}};
        for (const Run& run : runs) {
            if (!WithinBudget()) {
                return;
            }
            const std::int32_t r = run.r;
            const std::int32_t total = run.total;
            const auto readRun = [&](unsigned char* dest, std::int32_t size) {
                return file_.ReadSectors(track, sectorId.c, sectorId.h, r, sectorId.n,
                                         {1, lastSector}, dest, size);
            };
            const std::int32_t got = Checked(total, readRun, chunk);
            Require(got == total || got % chunk == 0, "a run read counts whole chunks only");
            if (got >= chunk) {
                const std::vector<unsigned char> firstChunk(Stored(), Stored() + chunk);
                const auto readFirst = [&](unsigned char* dest, std::int32_t size) {
                    return file_.ReadSector(track, sectorId.c, sectorId.h, r, sectorId.n, dest,
                                            size);
                };
                Require(Checked(chunk, readFirst) == chunk &&
                            std::memcmp(Stored(), firstChunk.data(), firstChunk.size()) == 0,
                        "a run read starts with the sector it starts at");
            }
        }
    }

    D88File& file_;
    GuardedDestination& first_;
    GuardedDestination& second_;
    std::int32_t calls_ = 0;
};

void CheckSelectionRefused(D88File& file, std::int32_t index)
{
    Require(!file.SelectImage(index) && file.GetMediaType() == -1 && file.GetDiskName()[0] == 0,
            "selecting an image that is not indexed fails and leaves no image current");
}

// Image 0 starts at the start of the file: its header data can be read off
// the input directly.
void CheckFirstImageHeader(const D88File& file, const std::uint8_t* data)
{
    Require(file.GetMediaType() == data[d88::MediaTypeField],
            "the media type is the header's media type byte");
    const char* name = file.GetDiskName();
    std::size_t length = 0;
    while (length < d88::NameLength && data[length] != 0) {
        ++length;
    }
    Require(std::strlen(name) == length && std::memcmp(name, data, length) == 0,
            "the disk name is the header's text up to its first NUL, at most 16 bytes");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    D88File file;
    file.Open(ConvertedImage{ImageFormat::D88, std::vector<unsigned char>(data, data + size), {}});
    const std::int32_t count = file.GetImageCount();
    Require(count >= 0 && count <= D88File::MaxImages, "at most 64 images are indexed");
    Require((count == 0) == (size < d88::ImageHeaderSize),
            "a file indexes an image exactly when it holds a whole header");
    CheckSelectionRefused(file, -1);
    CheckSelectionRefused(file, count);

    // Kept from input to input: allocating them anew costs more than the reads.
    constexpr auto capacity =
        static_cast<std::size_t>(std::max(RunBytesLimit, LargestDataSize + 1));
    static GuardedDestination first(capacity, FirstFill);
    static GuardedDestination second(capacity, SecondFill);
    ReaderProbe probe(file, first, second);
    probe.ProbeRefusedCalls();
    for (std::int32_t index = 0; index < count && probe.WithinBudget(); ++index) {
        Require(file.SelectImage(index), "every indexed image can be selected");
        const HeaderData header = CurrentHeaderData(file);
        if (index == 0) {
            CheckFirstImageHeader(file, data);
        }
        probe.ProbeImage();
        // After reads that may have left the file anywhere, even at its end.
        Require(file.SelectImage(index) && CurrentHeaderData(file) == header,
                "selecting an image again loads the same header data");
    }
    // Now that an image may be current, a refused selection must clear it.
    CheckSelectionRefused(file, count);
    CheckSelectionRefused(file, -1);

    Require(file.Open(nullptr) && file.GetImageCount() == 0 && !file.SelectImage(0),
            "a closed file has no image");
    probe.ProbeClosedFile();
    return 0;
}
