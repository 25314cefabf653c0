#include <benchmark/benchmark.h>

#include <filesystem>
#include <system_error>

#include "Benchmarks.h"
#include "CutImages.h"
#include "D88File.h"
#include "OutputFiles.h"

namespace {

namespace fs = std::filesystem;

void CutOpenFile(benchmark::State& state, D88File& file, bool mustComplete)
{
    for (auto _ : state) {
        OutputFiles output;
        RecordedConsole console;
        if (!CutImages(file, DiskChoice::BySignature, output, console) && mustComplete) {
            state.SkipWithError("a disk was not extracted in full");
            break;
        }
    }
}

// The tool's flow on `path`, reading and writing as the tool does, in the
// scratch folder; the file is opened once, outside the timing.
void CutFile(benchmark::State& state, const BenchmarkFiles& files, const std::string& path,
             bool mustComplete)
{
    std::error_code error;
    const fs::path previousFolder = fs::current_path(error);
    fs::current_path(files.ScratchPath(), error);
    if (error) {
        state.SkipWithError("cannot enter the scratch folder");
        return;
    }
    D88File file;
    if (file.Open(path.c_str()) && file.GetImageCount() > 0) {
        CutOpenFile(state, file, mustComplete);
    } else {
        state.SkipWithError("cannot open the file");
    }
    fs::current_path(previousFolder, error);
}

}  // namespace

void RegisterToolBenchmarks(const BenchmarkFiles& files)
{
    // Disk A's one region and disk B's sixteen.
    benchmark::RegisterBenchmark(
        "CutImages/sample_disk_A_and_B",
        [&files](benchmark::State& state) { CutFile(state, files, files.SamplePath(), true); });
    benchmark::RegisterBenchmark("CutImages/hostile_walk", [&files](benchmark::State& state) {
        // No disk in it: every image is unsupported, and the empty headers past the
        // 64th image read as a 65th.
        CutFile(state, files, files.HostileWalkPath(), false);
    });
    // Disk B's sixteen regions, every sector found past 66,000 headers.
    benchmark::RegisterBenchmark("CutImages/long_track", [&files](benchmark::State& state) {
        CutFile(state, files, files.LongTrackPath(), true);
    });
    benchmark::RegisterBenchmark("CutImages/long_track_ids", [&files](benchmark::State& state) {
        CutFile(state, files, files.LongTrackIdsPath(), true);
    });
}
