#include "FluxFileWriters.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iomanip>
#include <limits>
#include <sstream>

namespace {

void AppendLe(Bytes& bytes, std::uint64_t value, std::size_t width)
{
    bytes.resize(bytes.size() + width);
    PutLe(bytes, bytes.size() - width, value, width);
}

void AppendText(Bytes& bytes, const std::string& text)
{
    bytes.insert(bytes.end(), text.begin(), text.end());
}

// The intervals in ticks of `toNs`, rounded where they fall in time, so that
// rounding never adds up along the revolution.
std::vector<std::uint64_t> Retick(const std::vector<std::uint32_t>& flux, double fromNs,
                                  double toNs)
{
    std::vector<std::uint64_t> ticks;
    double time = 0;
    std::uint64_t placed = 0;
    for (const std::uint32_t interval : flux) {
        if (fromNs == toNs) {
            ticks.push_back(interval);
            continue;
        }
        time += interval * fromNs / toNs;
        const auto tick = static_cast<std::uint64_t>(std::llround(time));
        ticks.push_back(tick - std::min(tick, placed));
        placed = std::max(tick, placed);
    }
    return ticks;
}

// ---- SCP

constexpr std::size_t ScpTableAt = 0x10;
constexpr std::size_t ScpTableEntries = 168;
constexpr std::size_t ScpFooterSize = 48;

Bytes ScpTrack(const FluxTrack& track, std::size_t entry, std::size_t revolutions, double tickNs)
{
    Bytes tdh{'T', 'R', 'K', static_cast<std::uint8_t>(entry)};
    Bytes data;
    for (std::size_t r = 0; r < revolutions; ++r) {
        const std::size_t start = data.size();
        std::uint64_t indexTime = 0;
        if (r < track.revolutions.size()) {
            for (std::uint64_t ticks : Retick(track.revolutions[r], track.tickNs, tickNs)) {
                ticks += ticks % 0x10000 == 0 ? 1U : 0U;
                indexTime += ticks;
                for (; ticks > 0xFFFF; ticks -= 0x10000) {
                    data.insert(data.end(), {0, 0});
                }
                data.insert(data.end(), {static_cast<std::uint8_t>(ticks >> 8),
                                         static_cast<std::uint8_t>(ticks & 0xFF)});
            }
        }
        AppendLe(tdh, std::min<std::uint64_t>(indexTime, 0xFFFFFFFF), 4);
        AppendLe(tdh, (data.size() - start) / 2, 4);
        AppendLe(tdh, 4 + 12 * revolutions + start, 4);
    }
    tdh.insert(tdh.end(), data.begin(), data.end());
    return tdh;
}

// "EXTS", its length, then one "WRSP" chunk: a flags word and a splice
// position per table entry, all zero.
Bytes ScpExtensionBlock()
{
    Bytes block;
    AppendText(block, "EXTS");
    AppendLe(block, 8 + 4 * (ScpTableEntries + 1), 4);
    AppendText(block, "WRSP");
    AppendLe(block, 4 * (ScpTableEntries + 1), 4);
    block.resize(block.size() + 4 * (ScpTableEntries + 1), 0);
    return block;
}

// The application's name as a string, then the 48-byte footer naming it.
void AppendScpFooter(Bytes& image)
{
    const std::string application = "d88cut tests";
    const std::size_t nameAt = image.size();
    AppendLe(image, application.size(), 2);
    AppendText(image, application);
    image.push_back(0);
    const std::size_t footerAt = image.size();
    image.resize(footerAt + ScpFooterSize, 0);
    PutLe(image, footerAt + 16, nameAt, 4);
    image[footerAt + 43] = 0x24;
    std::copy_n("FPCS", 4, image.begin() + static_cast<std::ptrdiff_t>(footerAt + 44));
}

}  // namespace

Bytes WriteScp(const std::vector<FluxTrack>& tracks, const ScpWriteOptions& options)
{
    const double tickNs = 25.0 * (options.resolution + 1);
    bool heads[2] = {false, false};
    std::size_t revolutions = 0;
    for (const FluxTrack& track : tracks) {
        heads[track.head % 2] = true;
        revolutions = std::max(revolutions, track.revolutions.size());
    }
    const int headsByte = heads[0] && heads[1] ? 0 : heads[0] ? 1 : 2;
    const bool consecutive = options.consecutiveEntries && headsByte != 0;
    std::vector<Bytes> entries;
    for (const FluxTrack& track : tracks) {
        const int index = track.cylinder * 2 + track.head;
        const auto entry = static_cast<std::size_t>(consecutive ? index / 2 : index);
        entries.resize(std::max(entries.size(), entry + 1));
        entries[entry] = ScpTrack(track, entry, revolutions, tickNs);
    }
    const std::size_t tableEntries = std::max(entries.size(), ScpTableEntries);
    Bytes image = {'S',
                   'C',
                   'P',
                   static_cast<std::uint8_t>(options.footer ? 0x00 : 0x24),
                   0x80,
                   static_cast<std::uint8_t>(revolutions),
                   0,
                   static_cast<std::uint8_t>(entries.size() - 1),
                   static_cast<std::uint8_t>(options.footer ? 0x23 : 0x03),
                   0,
                   static_cast<std::uint8_t>(headsByte),
                   options.resolution,
                   0,
                   0,
                   0,
                   0};
    image.resize(ScpTableAt + 4 * tableEntries, 0);
    if (options.extensionBlock) {
        const Bytes block = ScpExtensionBlock();
        image.insert(image.end(), block.begin(), block.end());
    }
    for (std::size_t entry = 0; entry < entries.size(); ++entry) {
        if (!entries[entry].empty()) {
            PutLe(image, ScpTableAt + 4 * entry, image.size(), 4);
            image.insert(image.end(), entries[entry].begin(), entries[entry].end());
        }
    }
    if (options.footer) {
        AppendScpFooter(image);
    }
    std::uint32_t checksum = 0;
    for (std::size_t k = ScpTableAt; k < image.size(); ++k) {
        checksum += image[k];
    }
    PutLe(image, 0x0C, checksum, 4);
    return image;
}

namespace {

// ---- HFE

constexpr std::size_t HfeBlock = 512;
constexpr std::size_t HfeSideSpan = 256;
constexpr std::uint8_t HfeNop = 0x0F;
constexpr std::uint8_t HfeSetIndex = 0x8F;
constexpr std::uint8_t HfeSetBitRate = 0x4F;
constexpr std::uint8_t HfeSkipBits = 0xCF;

std::uint8_t Reversed(unsigned byte)
{
    unsigned reversed = 0;
    for (unsigned bit = 0; bit < 8; ++bit) {
        reversed |= ((byte >> bit) & 1U) << (7 - bit);
    }
    return static_cast<std::uint8_t>(reversed);
}

// The revolution's cells: for each interval, zeros then a 1. Each interval
// is rounded alone: flux whose cell is a little off the bit rate's (a drive
// a little slow) then keeps its MFM intervals of 2, 3 and 4 cells, where
// rounding along the revolution would stretch one of them now and then.
std::vector<bool> Cells(const FluxTrack& track, double cellNs)
{
    std::vector<bool> cells;
    if (track.revolutions.empty()) {
        return cells;
    }
    for (const std::uint32_t interval : track.revolutions[0]) {
        const auto count = static_cast<std::size_t>(std::llround(interval * track.tickNs / cellNs));
        cells.insert(cells.end(), std::max<std::size_t>(count, 1) - 1, false);
        cells.push_back(true);
    }
    return cells;
}

unsigned CellByte(const std::vector<bool>& cells, std::size_t first, std::size_t count)
{
    unsigned byte = 0;
    for (std::size_t k = 0; k < count && first + k < cells.size(); ++k) {
        byte |= (cells[first + k] ? 1U : 0U) << k;
    }
    return byte;
}

// Version 3 escapes a byte that reads as an opcode (its first four cells
// all transitions) by SKIPBITS 4 over a byte holding those four cells last.
Bytes HfeSide(const std::vector<bool>& cells, int version, unsigned cellClocks)
{
    Bytes side;
    if (version == 3) {
        side = {HfeSetIndex, HfeSetBitRate, Reversed(cellClocks)};
    }
    for (std::size_t at = 0; at < cells.size();) {
        const unsigned byte = CellByte(cells, at, 8);
        if (version == 3 && (byte & 0x0F) == 0x0F) {
            side.insert(side.end(), {HfeSkipBits, Reversed(4),
                                     static_cast<std::uint8_t>(CellByte(cells, at, 4) << 4)});
            at += 4;
        } else {
            side.push_back(static_cast<std::uint8_t>(byte));
            at += 8;
        }
    }
    return side;
}

Bytes HfeHeader(int version, std::size_t cylinders, int sides, unsigned bitRateKbps)
{
    Bytes header(HfeBlock, 0xFF);
    std::copy_n(version == 3 ? "HXCHFEV3" : "HXCPICFE", 8, header.begin());
    header[0x08] = 0;
    header[0x09] = static_cast<std::uint8_t>(cylinders);
    header[0x0A] = static_cast<std::uint8_t>(sides);
    PutLe(header, 0x0C, bitRateKbps, 2);
    PutLe(header, 0x0E, 0, 2);
    header[0x11] = 1;
    PutLe(header, 0x12, 1, 2);
    return header;
}

}  // namespace

Bytes WriteHfe(const std::vector<FluxTrack>& tracks, int version, unsigned bitRateKbps)
{
    const double cellNs = 5e5 / bitRateKbps;
    const auto cellClocks = static_cast<unsigned>(std::lround(36e6 * cellNs * 1e-9));
    std::size_t cylinders = 0;
    int sides = 1;
    for (const FluxTrack& track : tracks) {
        cylinders = std::max(cylinders, static_cast<std::size_t>(track.cylinder) + 1);
        sides = std::max(sides, track.head + 1);
    }
    std::vector<Bytes> data(cylinders * 2);
    for (const FluxTrack& track : tracks) {
        data[static_cast<std::size_t>(track.cylinder) * 2 + static_cast<std::size_t>(track.head)] =
            HfeSide(Cells(track, cellNs), version, cellClocks);
    }
    const std::size_t listBlocks = (cylinders * 4 + HfeBlock - 1) / HfeBlock;
    Bytes image = HfeHeader(version, cylinders, sides, bitRateKbps);
    image.resize(HfeBlock * (1 + listBlocks), 0xFF);
    for (std::size_t cylinder = 0; cylinder < cylinders; ++cylinder) {
        Bytes& side0 = data[cylinder * 2];
        Bytes& side1 = data[cylinder * 2 + 1];
        const std::size_t length = std::max(side0.size(), side1.size());
        side0.resize(length, version == 3 ? HfeNop : 0);
        side1.resize(length, version == 3 ? HfeNop : 0);
        PutLe(image, HfeBlock + cylinder * 4, image.size() / HfeBlock, 2);
        PutLe(image, HfeBlock + cylinder * 4 + 2, length * 2, 2);
        const std::size_t start = image.size();
        image.resize(start + (length + HfeSideSpan - 1) / HfeSideSpan * HfeBlock, 0);
        for (std::size_t k = 0; k < length; ++k) {
            const std::size_t offset = start + k / HfeSideSpan * HfeBlock + k % HfeSideSpan;
            image[offset] = side0[k];
            image[offset + HfeSideSpan] = side1[k];
        }
    }
    return image;
}

namespace {

// ---- KryoFlux

constexpr std::uint8_t KfOob = 0x0D;
constexpr std::uint64_t KfDummyCellNs = 12000;

struct KfStream {
    Bytes bytes;
    std::uint64_t position = 0;

    void Oob(std::uint8_t type, const Bytes& payload)
    {
        bytes.insert(bytes.end(), {KfOob, type});
        AppendLe(bytes, payload.size(), 2);
        bytes.insert(bytes.end(), payload.begin(), payload.end());
    }

    void Flux(std::uint64_t ticks)
    {
        const std::size_t before = bytes.size();
        for (; ticks > 0xFFFF; ticks -= 0x10000) {
            bytes.push_back(0x0B);
        }
        if (ticks >= 0x0E && ticks <= 0xFF) {
            bytes.push_back(static_cast<std::uint8_t>(ticks));
        } else if (ticks < 0x800) {
            bytes.insert(bytes.end(), {static_cast<std::uint8_t>(ticks >> 8),
                                       static_cast<std::uint8_t>(ticks & 0xFF)});
        } else {
            bytes.insert(bytes.end(), {0x0C, static_cast<std::uint8_t>(ticks >> 8),
                                       static_cast<std::uint8_t>(ticks & 0xFF)});
        }
        position += bytes.size() - before;
    }

    // At the first flux after it; the sample counter 0, the index counter
    // in ticks of the index clock, an eighth of the sample clock.
    void Index(std::uint64_t elapsedTicks)
    {
        Bytes payload;
        AppendLe(payload, position, 4);
        AppendLe(payload, 0, 4);
        AppendLe(payload, elapsedTicks / 8, 4);
        Oob(0x02, payload);
        payload.resize(8);
        PutLe(payload, 4, 0, 4);
        Oob(0x01, payload);
    }
};

std::string KfInfo(double sampleClockHz)
{
    std::ostringstream text;
    text << std::fixed << std::setprecision(7) << "name=d88cut tests, sck=" << sampleClockHz
         << ", ick=" << sampleClockHz / 8;
    return text.str();
}

Bytes KryofluxStream(const FluxTrack& track, double sampleClockHz)
{
    const double tickNs = 1e9 / sampleClockHz;
    KfStream stream;
    const std::string info = KfInfo(sampleClockHz);
    stream.Oob(0x04, Bytes(info.c_str(), info.c_str() + info.size() + 1));
    std::uint64_t elapsed = 0;
    stream.Index(elapsed);
    for (const std::vector<std::uint32_t>& revolution : track.revolutions) {
        for (const std::uint64_t ticks : Retick(revolution, track.tickNs, tickNs)) {
            stream.Flux(ticks);
            elapsed += ticks;
        }
        stream.Index(elapsed);
    }
    stream.Flux(static_cast<std::uint64_t>(std::llround(KfDummyCellNs / tickNs)));
    Bytes end;
    AppendLe(end, stream.position, 4);
    AppendLe(end, 0, 4);
    stream.Oob(0x03, end);
    stream.bytes.insert(stream.bytes.end(), {KfOob, KfOob, KfOob, KfOob});
    return stream.bytes;
}

std::string StreamName(const std::string& prefix, const FluxTrack& track)
{
    std::ostringstream name;
    name << prefix << std::setw(2) << std::setfill('0') << track.cylinder << '.' << track.head
         << ".raw";
    return name.str();
}

bool WriteFile(const std::filesystem::path& path, const Bytes& bytes)
{
    std::FILE* out = std::fopen(path.string().c_str(), "wb");
    if (out == nullptr) {
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && written;
}

}  // namespace

std::vector<NamedBytes> WriteKryofluxStreams(const std::vector<FluxTrack>& tracks,
                                             const std::string& prefix, double sampleClockHz)
{
    std::vector<NamedBytes> files;
    files.reserve(tracks.size());
    for (const FluxTrack& track : tracks) {
        files.push_back({StreamName(prefix, track), KryofluxStream(track, sampleClockHz)});
    }
    return files;
}

bool WriteKryofluxFolder(const std::vector<FluxTrack>& tracks, const std::filesystem::path& folder,
                         const std::string& prefix, double sampleClockHz)
{
    const std::vector<NamedBytes> files = WriteKryofluxStreams(tracks, prefix, sampleClockHz);
    return std::all_of(files.begin(), files.end(), [&](const NamedBytes& file) {
        return WriteFile(folder / file.name, file.bytes);
    });
}
