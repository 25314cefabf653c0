// d88cut_bench: makes its images in a temporary folder, runs the benchmarks
// selected on the command line (Google Benchmark's options) and removes the
// folder again.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "BenchmarkFiles.h"
#include "Benchmarks.h"

int main(int argc, char* argv[])
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    BenchmarkFiles files;
    std::string error;
    if (!files.Create(error)) {
        std::fprintf(stderr, "d88cut_bench: %s\n", error.c_str());
        return 1;
    }
    RegisterReaderBenchmarks(files);
    RegisterToolBenchmarks(files);
    RegisterFluxBenchmarks();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
