#include <algorithm>
#include <array>
#include <utility>

#include "FluxDecoder.h"

namespace {

// Halfway between 2HD's 166,667 cells a revolution and 2DD's 100,000.
constexpr double HighDensityCells = 133333;

// The media most tracks with sectors show, 2HD when none has any, told
// from the cylinders as every other format tells it.
unsigned char MediaTypeOf(const std::vector<FluxTrackReport>& tracks)
{
    int high = 0;
    int low = 0;
    int cylinders = 0;
    for (const FluxTrackReport& track : tracks) {
        if (track.sectors.empty()) {
            continue;
        }
        ++(track.cellsPerRevolution >= HighDensityCells ? high : low);
        cylinders = std::max(cylinders, track.trackIndex / 2 + 1);
    }
    return MediaTypeOfRate(high >= low, cylinders);
}

void AddTrack(D88ImageWriter& writer, const FluxTrackReport& track, std::vector<unsigned char> data)
{
    MemoryByteSource source(std::move(data));
    std::uint64_t offset = 0;
    for (const FluxSectorReport& sector : track.sectors) {
        if (!writer.AddSector(track.trackIndex, sector.fields, source, offset, sector.dataSize)) {
            return;
        }
        offset += sector.dataSize;
    }
}

}  // namespace

FluxDisk DecodeFluxDisk(FluxSource& source)
{
    FluxDisk disk;
    std::vector<std::vector<unsigned char>> data;
    const auto keep = [&disk, &data](DecodedFluxTrack& decoded) {
        disk.report.tracks.push_back(std::move(decoded.report));
        data.push_back(std::move(decoded.data));
    };
    // Tracks are decoded two at a time, in the order of the dump.
    std::array<FluxTrack, 2> held;
    std::array<int, 2> heldIndex{};
    std::size_t heldCount = 0;
    const int limit = std::min(source.TrackLimit(), static_cast<int>(d88::TrackCount));
    for (int index = 0; index < limit; ++index) {
        if (!source.ReadTrack(index, held[heldCount])) {
            continue;
        }
        heldIndex[heldCount++] = index;
        if (heldCount == held.size()) {
            std::pair<DecodedFluxTrack, DecodedFluxTrack> decoded =
                DecodeFluxTracks(held[0], heldIndex[0], held[1], heldIndex[1]);
            keep(decoded.first);
            keep(decoded.second);
            heldCount = 0;
        }
    }
    if (heldCount == 1) {
        DecodedFluxTrack decoded = DecodeFluxTrack(held[0], heldIndex[0]);
        keep(decoded);
    }
    disk.report.mediaType = MediaTypeOf(disk.report.tracks);
    D88ImageWriter writer(nullptr, 0, disk.report.mediaType, false);
    for (std::size_t i = 0; i < data.size(); ++i) {
        AddTrack(writer, disk.report.tracks[i], std::move(data[i]));
    }
    disk.image = writer.Finish();
    return disk;
}
