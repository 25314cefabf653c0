// Seeds of flux dumps for the fuzz targets, made by the flux synthesiser.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "D88ImageBuilder.h"

using Seed = std::pair<std::string, Bytes>;

// Short tracks (a few sectors, revolutions of 20,000 cells) in SCP, HFE v1
// and v3 and a KryoFlux stream, clean and with each fault the synthesiser
// makes, so that inputs stay small and fast; and one whole 2HD track of the
// title's disk B read twice, as a drive gives it.
std::vector<Seed> FluxSeeds();
