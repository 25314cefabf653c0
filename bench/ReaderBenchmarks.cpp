#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

#include "Benchmarks.h"
#include "D88File.h"

namespace {

// The first region of disk A: 24 sectors of 1,024 bytes from track 100
// (C 50, H 0, R 1), eight to a track, so the run crosses into tracks 101
// and 102.
constexpr std::int32_t RegionTrack = 100;
constexpr std::int32_t RegionC = 50;
constexpr std::int32_t RegionH = 0;
constexpr std::int32_t SizeCode = 3;
constexpr std::int32_t SectorBytes = 1024;
constexpr std::int32_t FirstSector = 1;
constexpr std::int32_t SectorsPerTrack = 8;
constexpr std::int32_t RegionBytes = 24576;

bool OpenSample(const BenchmarkFiles& files, D88File& file, benchmark::State& state)
{
    if (!file.Open(files.SamplePath().c_str()) || !file.SelectImage(0)) {
        state.SkipWithError("cannot open the sample");
        return false;
    }
    return true;
}

// One sector of an eight-sector track: the first is found at once, the last
// only after walking the seven before it.
void ReadOneSector(benchmark::State& state, const BenchmarkFiles& files, std::int32_t r)
{
    D88File file;
    if (!OpenSample(files, file, state)) {
        return;
    }
    std::array<unsigned char, SectorBytes> sector{};
    for (auto _ : state) {
        const std::int32_t got =
            file.ReadSector(RegionTrack, RegionC, RegionH, r, SizeCode, sector.data(), SectorBytes);
        if (got != SectorBytes) {
            state.SkipWithError("sector not read in full");
            break;
        }
        benchmark::DoNotOptimize(sector.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * SectorBytes);
}

void ReadRegion(benchmark::State& state, const BenchmarkFiles& files)
{
    D88File file;
    if (!OpenSample(files, file, state)) {
        return;
    }
    std::array<unsigned char, RegionBytes> region{};
    for (auto _ : state) {
        const std::int32_t got =
            file.ReadSectors(RegionTrack, RegionC, RegionH, FirstSector, SizeCode,
                             {FirstSector, SectorsPerTrack}, region.data(), RegionBytes);
        if (got != RegionBytes) {
            state.SkipWithError("region not read in full");
            break;
        }
        benchmark::DoNotOptimize(region.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * RegionBytes);
}

// What the region costs at the least: the same number of bytes, from where
// its first track starts, in one seek and one read, with no sector headers
// to walk.
void FreadRegion(benchmark::State& state, const BenchmarkFiles& files)
{
    std::FILE* file = std::fopen(files.SamplePath().c_str(), "rb");
    if (file == nullptr) {
        state.SkipWithError("cannot open the sample");
        return;
    }
    const auto offset = static_cast<long>(files.SampleTrackOffset(RegionTrack));
    std::array<unsigned char, RegionBytes> region{};
    for (auto _ : state) {
        if (std::fseek(file, offset, SEEK_SET) != 0 ||
            std::fread(region.data(), 1, region.size(), file) != region.size()) {
            state.SkipWithError("region not read in full");
            break;
        }
        benchmark::DoNotOptimize(region.data());
        benchmark::ClobberMemory();
    }
    // Closing a file that was only read cannot lose data.
    static_cast<void>(std::fclose(file));
    state.SetBytesProcessed(state.iterations() * RegionBytes);
}

// Indexing reads the header of every image; each Open first closes the file
// the previous one opened.
void OpenManyImages(benchmark::State& state, const BenchmarkFiles& files)
{
    D88File file;
    for (auto _ : state) {
        if (!file.Open(files.ManyImagesPath().c_str()) ||
            file.GetImageCount() != BenchmarkFiles::ManyImagesCount) {
            state.SkipWithError("the file of many images was not indexed in full");
            break;
        }
    }
}

}  // namespace

void RegisterReaderBenchmarks(const BenchmarkFiles& files)
{
    benchmark::RegisterBenchmark("ReadSector/first_of_8", [&files](benchmark::State& state) {
        ReadOneSector(state, files, FirstSector);
    });
    benchmark::RegisterBenchmark("ReadSector/last_of_8", [&files](benchmark::State& state) {
        ReadOneSector(state, files, SectorsPerTrack);
    });
    benchmark::RegisterBenchmark("ReadSectors/24576_bytes_3_tracks",
                                 [&files](benchmark::State& state) { ReadRegion(state, files); });
    benchmark::RegisterBenchmark("fread/24576_bytes_baseline",
                                 [&files](benchmark::State& state) { FreadRegion(state, files); });
    benchmark::RegisterBenchmark(
        "Open/64_images", [&files](benchmark::State& state) { OpenManyImages(state, files); });
}
