#include "DiskRecognition.h"

#include <algorithm>
#include <vector>

namespace {

SignatureReading ReadSignature(D88File& file, const TitleDisk& disk)
{
    const DiskSignature& signature = disk.signature;
    const SectorAddress& sector = signature.sector;
    std::vector<unsigned char> bytes(TitleSectorBytes);
    const std::int32_t got = file.ReadSector(sector.trackIndex, sector.c, sector.h, sector.r,
                                             sector.n, bytes.data(), TitleSectorBytes);
    if (got == 0) {
        return {&disk, SignatureFinding::Missing, 0, {}};
    }
    if (got < TitleSectorBytes) {
        return {&disk, SignatureFinding::ReadShort, got, {}};
    }
    const auto first = bytes.begin() + signature.offset;
    std::string found(first, first + signature.length);
    const bool matches = std::equal(found.begin(), found.end(), signature.text);
    return {&disk, matches ? SignatureFinding::Present : SignatureFinding::Different, got,
            std::move(found)};
}

}  // namespace

Recognition RecogniseDisk(D88File& file)
{
    Recognition recognition{};
    for (std::size_t i = 0; i < TitleDiskTable.size(); ++i) {
        recognition.signatures[i] = ReadSignature(file, TitleDiskTable[i]);
        if (recognition.disk == nullptr &&
            recognition.signatures[i].finding == SignatureFinding::Present) {
            recognition.disk = &TitleDiskTable[i];
        }
    }
    return recognition;
}
