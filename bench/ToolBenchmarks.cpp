#include <benchmark/benchmark.h>

#include <filesystem>
#include <system_error>

#include "Benchmarks.h"
#include "CutImages.h"
#include "D88File.h"
#include "SilencedStdout.h"

namespace {

namespace fs = std::filesystem;

void CutOpenSample(benchmark::State& state, D88File& file)
{
    const SilencedStdout silenced;
    if (!silenced.IsSilenced()) {
        state.SkipWithError("cannot silence standard output");
    }
    // The loop does not run once an error is set.
    for (auto _ : state) {
        if (!CutImages(file, NoDiskNumber, OutputFiles())) {
            state.SkipWithError("the sample was not extracted in full");
            break;
        }
    }
}

// Disk A's one region and disk B's sixteen, read and written as the tool
// does, into the scratch folder; the file is opened once, outside the timing.
void CutSample(benchmark::State& state, const BenchmarkFiles& files)
{
    std::error_code error;
    const fs::path previousFolder = fs::current_path(error);
    fs::current_path(files.ScratchPath(), error);
    if (error) {
        state.SkipWithError("cannot enter the scratch folder");
        return;
    }
    D88File file;
    if (file.Open(files.SamplePath().c_str()) && file.GetImageCount() == 2) {
        CutOpenSample(state, file);
    } else {
        state.SkipWithError("cannot open the sample");
    }
    fs::current_path(previousFolder, error);
}

}  // namespace

void RegisterToolBenchmarks(const BenchmarkFiles& files)
{
    benchmark::RegisterBenchmark("CutImages/sample_disk_A_and_B",
                                 [&files](benchmark::State& state) { CutSample(state, files); });
}
