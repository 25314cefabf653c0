#include "CutImages.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "DiskBuffer.h"
#include "DiskExtraction.h"
#include "Messages.h"
#include "Signatures.h"

namespace {

constexpr std::int32_t SignatureSizeCode = 3;
constexpr std::int32_t SignatureSectorBytes = 1024;

// Only a sector read in full can match: what an earlier read left in
// DiskBuffer never decides which disk an image is.
bool HasSignature(D88File& file, const DiskSignature& signature)
{
    const std::int32_t got =
        file.ReadSectors(signature.trackIndex, signature.c, signature.h, signature.r,
                         SignatureSizeCode, DiskBuffer, SignatureSectorBytes);
    return got == SignatureSectorBytes &&
           std::memcmp(DiskBuffer + signature.offset, signature.text,
                       static_cast<std::size_t>(signature.length)) == 0;
}

}  // namespace

bool CutImages(D88File& file, std::int32_t diskNumber, const OutputFiles& output)
{
    const std::int32_t count = file.GetImageCount();
    const std::int32_t imagesToCut = diskNumber == NoDiskNumber ? count : std::min(count, 1);
    bool complete = true;
    for (std::int32_t i = 0; i < imagesToCut; ++i) {
        file.SelectImage(i);
        file.SetSectorRange(1, 8);
        // The disk A sector is read even when disk B is forced.
        const bool isDiskA = HasSignature(file, DiskASignature);
        if ((diskNumber == NoDiskNumber && isDiskA) || diskNumber == DiskNumberA) {
            std::fputs(DiskARecognisedMessage, stdout);
            complete = ExtractDiskA(file, output) && complete;
            continue;
        }
        const bool isDiskB = HasSignature(file, DiskBSignature);
        if ((diskNumber == NoDiskNumber && isDiskB) || diskNumber == DiskNumberB) {
            std::fputs(DiskBRecognisedMessage, stdout);
            complete = ExtractDiskB(file, output) && complete;
            continue;
        }
        std::fputs(UnsupportedImageMessage, stderr);
    }
    // Images the reader did not index are said to be left, not passed over
    // in silence.
    if (diskNumber == NoDiskNumber && file.HasImagesPastLimit()) {
        std::fputs(ImagesPastLimitMessage, stderr);
        complete = false;
    }
    return complete;
}
