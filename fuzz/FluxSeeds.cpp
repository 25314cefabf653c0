#include "FluxSeeds.h"

#include "FluxFileWriters.h"
#include "FluxSynthesiser.h"
#include "TitleDisks.h"

namespace {

constexpr std::size_t ShortRevolution = 20000;

// Two sectors of 256 bytes on track 0, the second one FM on track 1.
D88ImageBuilder ShortDisk()
{
    D88ImageBuilder disk;
    disk.Track(0, UniformTrack(0, 2, 1));
    std::vector<BuiltSector> fmTrack = UniformTrack(1, 2, 1);
    for (BuiltSector& sector : fmTrack) {
        sector.fm = true;
    }
    disk.Track(1, fmTrack);
    return disk;
}

FluxSynthesis ShortSynthesis(std::vector<SectorDamage> damage)
{
    FluxSynthesis synthesis;
    synthesis.cellsPerRevolution = ShortRevolution;
    synthesis.jitterNs = 20;
    synthesis.damage = std::move(damage);
    return synthesis;
}

void AddDumps(std::vector<Seed>& seeds, const std::string& name,
              const std::vector<FluxTrack>& tracks)
{
    seeds.emplace_back(name + ".scp", WriteScp(tracks));
    seeds.emplace_back(name + "-v1.hfe", WriteHfe(tracks, 1));
    seeds.emplace_back(name + "-v3.hfe", WriteHfe(tracks, 3));
    seeds.emplace_back(name + "00.0.raw", WriteKryofluxStreams({tracks.front()}).front().bytes);
}

}  // namespace

std::vector<Seed> FluxSeeds()
{
    std::vector<Seed> seeds;
    const D88ImageBuilder disk = ShortDisk();
    const struct {
        const char* name;
        std::vector<SectorDamage> damage;
    } variants[] = {
        {"short", {}},
        {"short-corrupt-once", {{0, 0, SectorFault::CorruptData, {0}}}},
        {"short-corrupt-always", {{0, 1, SectorFault::CorruptData, {}}}},
        {"short-lost-data-mark", {{0, 0, SectorFault::LostDataMark, {}}}},
        {"short-bad-id-crc", {{1, 0, SectorFault::BadIdCrc, {}}}},
    };
    for (const auto& variant : variants) {
        AddDumps(seeds, variant.name, SynthesiseDisk(disk, ShortSynthesis(variant.damage)));
    }
    FluxSynthesis noise = ShortSynthesis({});
    noise.noiseTracks = {1};
    AddDumps(seeds, "short-noise", SynthesiseDisk(disk, noise));

    D88ImageBuilder musicTrack;
    musicTrack.Track(12, MakeDiskB().SectorsOf(12));
    FluxSynthesis drive;
    drive.jitterNs = 40;
    drive.drift = 0.01;
    AddDumps(seeds, "disk-b-track-12", SynthesiseDisk(musicTrack, drive));
    return seeds;
}
