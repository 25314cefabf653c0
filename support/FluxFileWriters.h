// Writes flux tracks as the dump files of flux samplers, byte by byte as
// each format lays them out, for tests and fuzz seeds. Each writer takes the
// ticks its format counts in and converts every track to them (exactly when
// the track already counts in them).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "D88ImageBuilder.h"
#include "flux/FluxFiles.h"
#include "flux/FluxTrack.h"

struct ScpWriteOptions {
    // One tick is 25 ns x (resolution + 1).
    std::uint8_t resolution = 0;
    // A single-sided dump in consecutive table entries, as old tools wrote them.
    bool consecutiveEntries = false;
    // An "EXTS" block with an empty "WRSP" chunk between the table and the
    // first track, which then starts at 0x564, as Greaseweazle writes.
    bool extensionBlock = true;
    // The extension footer, with the application's name.
    bool footer = true;
};

// Every track keeps all its revolutions (the header's count is the most any
// track has; others get empty ones). The heads byte follows the tracks.
// An interval of a whole multiple of 65,536 ticks, which the format cannot
// hold, gets one tick more.
Bytes WriteScp(const std::vector<FluxTrack>& tracks, const ScpWriteOptions& options = {});

// HFE keeps the first revolution of each track, each interval rounded to
// cells of half a data bit at `bitRateKbps` (and at least one cell).
Bytes WriteHfe(const std::vector<FluxTrack>& tracks, int version, unsigned bitRateKbps = 500);

// One stream per track, named PREFIXcc.h.raw: a KFInfo with the sample
// clock, an index block before each revolution and after the last, a
// stream information block at each index, a dummy cell after the last
// index, the stream's end and the end-of-file block.
std::vector<NamedBytes> WriteKryofluxStreams(const std::vector<FluxTrack>& tracks,
                                             const std::string& prefix = "track",
                                             double sampleClockHz = 24027428.5714285);
// The same streams written as files into `folder`; false when one fails.
bool WriteKryofluxFolder(const std::vector<FluxTrack>& tracks, const std::filesystem::path& folder,
                         const std::string& prefix = "track",
                         double sampleClockHz = 24027428.5714285);
