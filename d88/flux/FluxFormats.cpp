// Flux dumps as image formats: an SCP, HFE or KryoFlux file is decoded, one
// track at a time, into the one D88 image every other format becomes.
#include "FluxFormats.h"

namespace {

std::optional<FluxDisk> Decoded(std::unique_ptr<FluxSource> flux)
{
    if (flux == nullptr) {
        return std::nullopt;
    }
    return DecodeFluxDisk(*flux);
}

}  // namespace

std::optional<FluxDisk> ConvertScp(ByteSource& source)
{
    return Decoded(OpenScp(source));
}

std::optional<FluxDisk> ConvertHfe(ByteSource& source)
{
    return Decoded(OpenHfe(source));
}

std::optional<FluxDisk> ConvertKryoflux(ByteSource& source, const std::filesystem::path& path)
{
    if (!IsKryofluxStream(source)) {
        return std::nullopt;
    }
    return Decoded(OpenKryofluxStream(path));
}

std::optional<FluxDisk> ConvertKryofluxStreams(std::vector<NamedBytes> files)
{
    return Decoded(OpenKryofluxStreams(std::move(files)));
}
