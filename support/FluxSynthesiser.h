// Flux of IBM-style tracks made from sectors, for the flux decoder's tests
// and benchmark: each track laid out as a formatter writes it, encoded in
// MFM or FM, and read back as a drive and flux sampler would, with the
// flaws of real drives and media on request.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "D88ImageBuilder.h"
#include "flux/FluxSource.h"

struct SynthSector {
    std::uint8_t c = 0;
    std::uint8_t h = 0;
    std::uint8_t r = 1;
    std::uint8_t n = 3;
    Bytes data;  // written as 128 << n bytes: cut short or padded with zeros
    bool deleted = false;
};

struct SynthTrack {
    int trackIndex = 0;
    bool fm = false;
    std::vector<SynthSector> sectors;
};

// The tracks of a disk; a track is FM when its first sector is.
std::vector<SynthTrack> SynthTracksOf(const D88ImageBuilder& disk);

enum class SectorFault {
    CorruptData,   // after the CRC is made, 16 bytes inverted from the middle + 16 x revolution
    LostDataMark,  // the data mark written with all its clocks: no mark is seen
    BadIdCrc,      // the ID's CRC inverted
};

struct SectorDamage {
    int trackIndex = 0;
    std::size_t place = 0;  // the sector's place in its track, from 0
    SectorFault fault = SectorFault::CorruptData;
    std::vector<int> revolutions;  // empty: every revolution
};

struct FluxSynthesis {
    int revolutions = 2;
    // 2HD at 360 rpm; the same disk read at 300 rpm shows 1,200 ns.
    double cellNs = 1000;
    // MFM cells, or half FM cells: 166,667 for 2HD, 100,000 for 2DD.
    std::size_t cellsPerRevolution = 166667;
    double tickNs = 25;
    // The index pulse comes this many cells into the track as laid out, as
    // on a disk formatted in another drive.
    std::size_t indexAfterCells = 0;
    double jitterNs = 0;         // standard deviation of each transition's time
    double drift = 0;            // the speed swings by +-drift as a sine over each revolution
    int droppedTransitions = 0;  // per revolution, at random places
    int extraTransitions = 0;    // per revolution, at random places
    std::uint64_t seed = 1;
    std::vector<SectorDamage> damage;
    std::vector<int> noiseTracks;  // random flux, whatever the disk holds there
};

FluxTrack SynthesiseTrack(const SynthTrack& track, const FluxSynthesis& synthesis);
// Every track of `disk`, as a flux dump file would hold them.
std::vector<FluxTrack> SynthesiseDisk(const D88ImageBuilder& disk,
                                      const FluxSynthesis& synthesis = {});
FluxTrack SynthesiseNoise(int trackIndex, const FluxSynthesis& synthesis);

// Makes each track's flux when it is read, so memory holds one track.
class SynthesisedFluxSource final : public FluxSource {
public:
    SynthesisedFluxSource(std::vector<SynthTrack> tracks, FluxSynthesis synthesis);

    [[nodiscard]] int TrackLimit() const override;
    bool ReadTrack(int trackIndex, FluxTrack& track) override;

private:
    std::vector<SynthTrack> tracks_;
    FluxSynthesis synthesis_;
};
