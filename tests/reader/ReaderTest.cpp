#include "ReaderTest.h"

#include <algorithm>
#include <fstream>
#include <utility>

bool AllGuard(Bytes::const_iterator first, Bytes::const_iterator last)
{
    return std::all_of(first, last, [](std::uint8_t byte) { return byte == Guard; });
}

BuiltSector MakeSector(std::uint8_t c, std::uint8_t h, std::uint8_t r, std::uint8_t n,
                       std::uint16_t sectorCount, Bytes data)
{
    BuiltSector sector;
    sector.c = c;
    sector.h = h;
    sector.r = r;
    sector.n = n;
    sector.sectorCount = sectorCount;
    sector.data = std::move(data);
    return sector;
}

BuiltSector SmallSector(std::uint8_t r, std::uint16_t sectorCount)
{
    return MakeSector(0, 0, r, 0, sectorCount, PatternBytes(128, r));
}

std::vector<BuiltSector> CountedTrack(const std::vector<std::uint16_t>& counts)
{
    std::vector<BuiltSector> sectors;
    sectors.reserve(counts.size());
    for (const std::uint16_t count : counts) {
        sectors.push_back(SmallSector(static_cast<std::uint8_t>(sectors.size() + 1), count));
    }
    return sectors;
}

bool WritePlacedBytes(const std::string& path, const std::vector<PlacedBytes>& pieces)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    for (const PlacedBytes& piece : pieces) {
        file.seekp(static_cast<std::streamoff>(piece.offset));
        file.write(reinterpret_cast<const char*>(piece.bytes.data()),
                   static_cast<std::streamsize>(piece.bytes.size()));
    }
    return static_cast<bool>(file);
}

std::string ReaderTest::WriteImageFile(const std::string& name, const Bytes& bytes)
{
    std::string path = scratch_.FilePath(name);
    EXPECT_TRUE(WriteBytesToFile(path, bytes)) << path;
    return path;
}

bool ReaderTest::OpenBytes(const Bytes& bytes)
{
    const std::string name = "image" + std::to_string(++filesWritten_) + ".d88";
    return reader_.Open(WriteImageFile(name, bytes).c_str());
}

bool ReaderTest::SelectBytes(const Bytes& bytes)
{
    return OpenBytes(bytes) && reader_.SelectImage(0);
}
