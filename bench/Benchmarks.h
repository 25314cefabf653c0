// The benchmark cases, registered by main once the files they read exist.
#pragma once

#include "BenchmarkFiles.h"

// ReadSector, ReadSectors and Open of the reader, and the plain fread that
// ReadSectors is measured against.
void RegisterReaderBenchmarks(const BenchmarkFiles& files);

// Recognition and extraction of the sample, in-process.
void RegisterToolBenchmarks(const BenchmarkFiles& files);

// A whole 2HD disk decoded from five revolutions of synthesised flux.
void RegisterFluxBenchmarks();
