// Fuzz target over the format readers: any bytes, in memory, are offered for
// conversion. Whatever they hold, a converted image must be a well-formed D88
// image (ImageCheck.h); FDD, IMD and TD0 may expand their input, and so may
// the flux dumps, whose decoder fuzz_flux checks more closely.
#include <vector>

#include "FuzzCheck.h"
#include "FuzzTarget.h"
#include "ImageCheck.h"
#include "ImageFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    MemoryByteSource source(std::vector<unsigned char>(data, data + size));
    const std::optional<ConvertedImage> converted = ConvertToD88(source);
    if (converted) {
        Require(converted->format != ImageFormat::D88,
                "a converted image comes from another format");
        const bool expands =
            converted->format == ImageFormat::Fdd || converted->format == ImageFormat::Imd ||
            converted->format == ImageFormat::Td0 || converted->format == ImageFormat::Scp ||
            converted->format == ImageFormat::Hfe || converted->format == ImageFormat::Kryoflux;
        CheckWellFormed(converted->d88, size, expands);
    }
    return 0;
}
