// TD0 as Teledisk writes it: the header, an optional comment block, then
// each track's header and sectors, and the end record; for "td", all after
// the header as a literal-only LZHUF stream.
#include <algorithm>

#include "FormatImageBuilders.h"
#include "LzhufEncoder.h"

namespace {

constexpr std::uint8_t CrcErrorFlag = 0x02;
constexpr std::uint8_t DeletedFlag = 0x04;
constexpr std::uint8_t NoDataFlags = 0x30;
constexpr std::uint8_t NoDataMarkFlag = 0x20;

void Append(Bytes& bytes, const Bytes& more)
{
    bytes.insert(bytes.end(), more.begin(), more.end());
}

void AppendLe16(Bytes& bytes, std::size_t value)
{
    bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

std::uint8_t LowCrc(const Bytes& bytes, std::size_t from, std::size_t count)
{
    return static_cast<std::uint8_t>(Td0Crc(bytes.data() + from, count) & 0xFF);
}

bool IsPattern(const Bytes& data)
{
    if (data.size() < 2 || data.size() % 2 != 0) {
        return false;
    }
    for (std::size_t i = 2; i < data.size(); ++i) {
        if (data[i] != data[i - 2]) {
            return false;
        }
    }
    return true;
}

// Fragments: blocks of 1 << shift bytes repeated at least twice, and
// literal stretches of up to 255 bytes between them.
Bytes RunFragments(const Bytes& data, std::uint8_t shift)
{
    const std::size_t block = std::size_t{1} << shift;
    Bytes fragments;
    Bytes literal;
    const auto flush = [&] {
        if (!literal.empty()) {
            Append(fragments, {0, static_cast<std::uint8_t>(literal.size())});
            Append(fragments, literal);
            literal.clear();
        }
    };
    std::size_t next = 0;
    while (next < data.size()) {
        std::size_t times = 1;
        while (times < 255 && next + (times + 1) * block <= data.size() &&
               std::equal(data.begin() + static_cast<std::ptrdiff_t>(next),
                          data.begin() + static_cast<std::ptrdiff_t>(next + block),
                          data.begin() + static_cast<std::ptrdiff_t>(next + times * block))) {
            ++times;
        }
        if (times >= 2) {
            flush();
            Append(fragments, {shift, static_cast<std::uint8_t>(times)});
            fragments.insert(fragments.end(), data.begin() + static_cast<std::ptrdiff_t>(next),
                             data.begin() + static_cast<std::ptrdiff_t>(next + block));
            next += times * block;
            continue;
        }
        literal.push_back(data[next++]);
        if (literal.size() == 255) {
            flush();
        }
    }
    flush();
    return fragments;
}

// The length, the method byte and the payload, whichever method is shortest.
Bytes DataBlock(const Bytes& data, std::uint8_t runShift)
{
    Bytes payload{0};
    if (IsPattern(data)) {
        payload = {1};
        AppendLe16(payload, data.size() / 2);
        Append(payload, {data[0], data[1]});
    } else if (Bytes runs = RunFragments(data, runShift); runs.size() < data.size()) {
        payload = {2};
        Append(payload, runs);
    } else {
        Append(payload, data);
    }
    Bytes block;
    AppendLe16(block, payload.size());
    Append(block, payload);
    return block;
}

std::uint8_t FlagsOf(const BuiltSector& sector)
{
    std::uint8_t flags = sector.deleted ? DeletedFlag : 0;
    if (sector.status == 0xB0) {
        flags |= CrcErrorFlag;
    }
    if (sector.status == 0xF0) {
        flags |= NoDataMarkFlag;
    }
    return flags;
}

void AppendSector(Bytes& stream, const BuiltSector& sector, std::uint8_t flags,
                  const Td0Options& options)
{
    const std::size_t headerAt = stream.size();
    Append(stream, {sector.c, sector.h, sector.r, sector.n, flags});
    if ((flags & NoDataFlags) != 0 || sector.n > 7) {
        stream.push_back(LowCrc(stream, headerAt, 5));
        return;
    }
    stream.push_back(LowCrc(sector.data, 0, sector.data.size()));
    Append(stream, DataBlock(sector.data, options.runShift));
}

void AppendTrack(Bytes& stream, int track, const std::vector<BuiltSector>& sectors,
                 const Td0Options& options)
{
    const std::size_t headerAt = stream.size();
    const bool fmTrack = !sectors.empty() && sectors.front().fm;
    Append(stream, {static_cast<std::uint8_t>(sectors.size()), static_cast<std::uint8_t>(track / 2),
                    static_cast<std::uint8_t>((track % 2) | (fmTrack ? 0x80 : 0))});
    stream.push_back(LowCrc(stream, headerAt, 3));
    for (std::size_t k = 0; k < sectors.size(); ++k) {
        const auto extra = options.extraFlags.find({track, k});
        const std::uint8_t flags =
            FlagsOf(sectors[k]) | (extra == options.extraFlags.end() ? 0 : extra->second);
        AppendSector(stream, sectors[k], flags, options);
    }
}

// The CRC, the text's length, a date and time (1999-12-31 23:59:59), and
// the lines, each ended by a NUL.
Bytes CommentBlock(const std::vector<std::string>& lines)
{
    Bytes text;
    for (const std::string& line : lines) {
        text.insert(text.end(), line.begin(), line.end());
        text.push_back(0);
    }
    Bytes block{0, 0};
    AppendLe16(block, text.size());
    Append(block, {99, 11, 31, 23, 59, 59});
    Append(block, text);
    const std::uint16_t crc = Td0Crc(block.data() + 2, block.size() - 2);
    block[0] = static_cast<std::uint8_t>(crc & 0xFF);
    block[1] = static_cast<std::uint8_t>(crc >> 8);
    return block;
}

Bytes Header(const D88ImageBuilder& disk, const Td0Options& options)
{
    const char* magic = options.advanced ? "td" : "TD";
    const std::uint8_t rate = disk.GetMediaType() == 0x20 ? 2 : 0;
    const std::uint8_t stepping = options.comment.empty() ? 0 : 0x80;
    // Magic, volume 0, a check byte, the version, the rate, a 1.2 MB drive,
    // the stepping, all sectors read (not by DOS allocation), two sides.
    Bytes header{static_cast<std::uint8_t>(magic[0]),
                 static_cast<std::uint8_t>(magic[1]),
                 0,
                 0x5A,
                 options.version,
                 rate,
                 2,
                 stepping,
                 0,
                 2};
    AppendLe16(header, Td0Crc(header.data(), header.size()));
    return header;
}

}  // namespace

std::uint16_t Td0Crc(const std::uint8_t* bytes, std::size_t count)
{
    unsigned crc = 0;
    for (std::size_t i = 0; i < count; ++i) {
        crc ^= unsigned{bytes[i]} << 8;
        for (int bit = 0; bit < 8; ++bit) {
            crc = ((crc << 1) ^ ((crc & 0x8000) != 0 ? 0xA097U : 0U)) & 0xFFFF;
        }
    }
    return static_cast<std::uint16_t>(crc);
}

Bytes BuildTd0(const D88ImageBuilder& disk, const Td0Options& options)
{
    Bytes stream;
    if (!options.comment.empty()) {
        Append(stream, CommentBlock(options.comment));
    }
    for (const auto& [track, sectors] : disk.Tracks()) {
        AppendTrack(stream, track, sectors, options);
    }
    Append(stream, {0xFF, 0, 0, 0});
    Bytes file = Header(disk, options);
    Append(file, options.advanced ? EncodeLzhufLiterals(stream) : stream);
    return file;
}
