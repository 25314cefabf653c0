// Flux dumps as image formats: each converter returns the dump decoded into
// one D88 image with the report of how well it read, or nullopt when the
// bytes do not prove that format.
#pragma once

#include <filesystem>
#include <optional>
#include <vector>

#include "ByteSource.h"
#include "FluxDecoder.h"
#include "FluxFiles.h"

std::optional<FluxDisk> ConvertScp(ByteSource& source);
std::optional<FluxDisk> ConvertHfe(ByteSource& source);
// A KryoFlux stream file, with its sibling track files beside it at `path`.
std::optional<FluxDisk> ConvertKryoflux(ByteSource& source, const std::filesystem::path& path);
// A KryoFlux dump's track files already in memory, named as on disk.
std::optional<FluxDisk> ConvertKryofluxStreams(std::vector<NamedBytes> files);
