#include "SignatureCheck.h"

#include <cstring>

SignatureCheck CheckSignature(D88File& file, const DiskSignature& signature, unsigned char* buffer)
{
    const SectorAddress& at = signature.sector;
    const std::int32_t got =
        file.ReadSector(at.trackIndex, at.c, at.h, at.r, at.n, buffer, TitleSectorBytes);
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
