// The flux dump files a drive's flux sampler writes: SuperCard Pro (SCP),
// HxC (HFE v1 and v3) and KryoFlux streams, each read as a FluxSource.
// Each opener returns nullptr unless the bytes prove that format. A source
// opened over a ByteSource reads it on every ReadTrack: the ByteSource must
// outlive it.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ByteSource.h"
#include "FluxSource.h"

std::unique_ptr<FluxSource> OpenScp(ByteSource& source);

// HFE keeps bit cells, not flux: each track's cells are turned into one
// revolution of intervals in ticks of one cell of the header's bit rate.
std::unique_ptr<FluxSource> OpenHfe(ByteSource& source);

// A KryoFlux dump is one stream file per track, NAMEcc.h.raw (cylinder cc,
// head h). Given one of them, the source reads its siblings of the same NAME
// in the same folder. A stream whose name has no such pattern is track 0.
std::unique_ptr<FluxSource> OpenKryofluxStream(const std::filesystem::path& path);

// The same over files already in memory (the web page, fuzzing): the first
// stream among `files` names the set, as a path would.
struct NamedBytes {
    std::string name;
    std::vector<unsigned char> bytes;
};
std::unique_ptr<FluxSource> OpenKryofluxStreams(std::vector<NamedBytes> files);

// True when the source starts as a KryoFlux stream does: with an out-of-band
// block of stream information, index or KFInfo that fits in the source.
bool IsKryofluxStream(ByteSource& source);
