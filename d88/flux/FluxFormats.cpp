// Flux dumps as image formats: an SCP, HFE or KryoFlux file is decoded, one
// track at a time, into the one D88 image every other format becomes.
#include "FluxDecoder.h"
#include "FluxFiles.h"
#include "FormatReaders.h"

namespace {

std::optional<D88Bytes> Decoded(std::unique_ptr<FluxSource> flux)
{
    if (flux == nullptr) {
        return std::nullopt;
    }
    return DecodeFluxDisk(*flux).image;
}

}  // namespace

std::optional<D88Bytes> ConvertScp(ByteSource& source)
{
    return Decoded(OpenScp(source));
}

std::optional<D88Bytes> ConvertHfe(ByteSource& source)
{
    return Decoded(OpenHfe(source));
}

std::optional<D88Bytes> ConvertKryoflux(ByteSource& source, const std::filesystem::path& path)
{
    if (!IsKryofluxStream(source)) {
        return std::nullopt;
    }
    return Decoded(OpenKryofluxStream(path));
}
