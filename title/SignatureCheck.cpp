#include "SignatureCheck.h"

#include <cstring>

SignatureCheck CheckSignature(D88File& file, const DiskSignature& signature, unsigned char* buffer)
{
    const SectorAddress& sector = signature.sector;
    const std::int32_t got = file.ReadSector(sector.trackIndex, sector.c, sector.h, sector.r,
                                             sector.n, buffer, TitleSectorBytes);
    if (got == 0) {
        return {SignatureFinding::Missing, 0};
    }
    if (got < TitleSectorBytes) {
        return {SignatureFinding::ReadShort, got};
    }
    const bool matches = std::memcmp(buffer + signature.offset, signature.text,
                                     static_cast<std::size_t>(signature.length)) == 0;
    return {matches ? SignatureFinding::Present : SignatureFinding::Different, got};
}
