#include "Expectations.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "Console.h"
#include "Messages.h"
#include "TitleDisks.h"

namespace {

constexpr std::size_t SectorBytes = 1024;
constexpr int SectorsPerTrack = 8;
// Where the signature texts lie: disk A track 120 sector 1, disk B track 100
// sector 2.
constexpr int SignatureSectors[][2] = {{120, 1}, {100, 2}};

BuiltSector* FindSector(D88ImageBuilder& disk, int trackIndex, int r)
{
    for (BuiltSector& sector : disk.SectorsOf(trackIndex)) {
        if (sector.r == r) {
            return &sector;
        }
    }
    ADD_FAILURE() << "no sector " << r << " in track " << trackIndex;
    return nullptr;
}

bool IsSignatureSector(int trackIndex, int r)
{
    return std::any_of(
        std::begin(SignatureSectors), std::end(SignatureSectors),
        [&](const int* location) { return location[0] == trackIndex && location[1] == r; });
}

// Where two byte strings first differ, rather than thousands of bytes.
std::string Difference(const Bytes& actual, const Bytes& expected)
{
    const auto mismatch =
        std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    return "size " + std::to_string(actual.size()) + " (expected " +
           std::to_string(expected.size()) + "), first difference at offset " +
           std::to_string(mismatch.first - actual.begin());
}

}  // namespace

Bytes RegionBytes(const D88ImageBuilder& disk, const ExpectedRegion& region)
{
    Bytes bytes;
    int trackIndex = region.trackIndex;
    int r = region.r;
    while (bytes.size() < region.length) {
        const Bytes sector = disk.SectorData(trackIndex, static_cast<std::uint8_t>(r));
        EXPECT_EQ(sector.size(), SectorBytes) << "track " << trackIndex << " sector " << r;
        bytes.insert(bytes.end(), sector.begin(), sector.end());
        if (r == SectorsPerTrack) {
            ++trackIndex;
            r = 1;
        } else {
            ++r;
        }
    }
    bytes.resize(region.length);
    return bytes;
}

Bytes ZeroedFrom(Bytes bytes, std::size_t kept)
{
    std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(std::min(kept, bytes.size())),
              bytes.end(), 0);
    return bytes;
}

FileSet DiskAFiles(const D88ImageBuilder& disk)
{
    return {{Bios98.name, RegionBytes(disk, Bios98)}};
}

FileSet DiskBFiles(const D88ImageBuilder& disk)
{
    FileSet files;
    for (const ExpectedRegion& region : MusicRegions) {
        files[region.name] = RegionBytes(disk, region);
    }
    return files;
}

std::string UsageText()
{
    return MessageText(UsageFormat, ProgramNameSeenByTool().c_str());
}

std::string DiskAOutput()
{
    return MessageText(RecognisedFormat, "A") + MessageText(CuttingFormat, Bios98.name);
}

std::string DiskBOutput()
{
    std::string output = MessageText(RecognisedFormat, "B");
    for (const ExpectedRegion& region : MusicRegions) {
        output += MessageText(CuttingFormat, region.name);
    }
    return output;
}

void ExpectRun(const ToolResult& result, const std::string& out, const std::string& err,
               int exitStatus)
{
    EXPECT_EQ(result.out, ConsoleBytes(out)) << "standard output";
    EXPECT_EQ(result.err, ConsoleBytes(err)) << "standard error";
    EXPECT_EQ(result.exitStatus, exitStatus) << "exit status";
}

void ExpectDirectoryHolds(const std::string& dir, const FileSet& files,
                          const std::set<std::string>& directories)
{
    namespace fs = std::filesystem;
    std::set<std::string> seen;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        seen.insert(name);
        const auto file = files.find(name);
        if (file != files.end() && entry.is_regular_file()) {
            const Bytes actual = ReadBytesFromFile(entry.path().string());
            EXPECT_TRUE(actual == file->second) << name << ": " << Difference(actual, file->second);
        } else if (directories.count(name) == 0 || !entry.is_directory()) {
            ADD_FAILURE() << "unexpected entry " << name << " in " << dir;
        }
    }
    for (const auto& [name, bytes] : files) {
        EXPECT_EQ(seen.count(name), 1U) << "missing file " << name;
    }
    for (const std::string& name : directories) {
        EXPECT_EQ(seen.count(name), 1U) << "missing directory " << name;
    }
}

D88ImageBuilder WithOtherContents(D88ImageBuilder disk, std::uint8_t mask)
{
    for (int trackIndex = 0; trackIndex < TitleTrackCount; ++trackIndex) {
        for (BuiltSector& sector : disk.SectorsOf(trackIndex)) {
            if (!IsSignatureSector(trackIndex, sector.r)) {
                for (std::uint8_t& byte : sector.data) {
                    byte = static_cast<std::uint8_t>(byte ^ mask);
                }
            }
        }
    }
    return disk;
}

void ShortenSector(D88ImageBuilder& disk, int trackIndex, int r, std::size_t size)
{
    if (BuiltSector* sector = FindSector(disk, trackIndex, r)) {
        sector->data.resize(size);
    }
}

void PutText(D88ImageBuilder& disk, int trackIndex, int r, std::size_t offset, const char* text,
             std::size_t length)
{
    if (BuiltSector* sector = FindSector(disk, trackIndex, r)) {
        std::copy(text, text + length, sector->data.begin() + static_cast<std::ptrdiff_t>(offset));
    }
}
