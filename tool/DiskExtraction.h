// The extraction of each disk of the title: its regions, in catalogue order.
#pragma once

#include "D88File.h"
#include "OutputFiles.h"

// Both return true only when every region was read and written in full.
bool ExtractDiskA(D88File& disk, const OutputFiles& output);
bool ExtractDiskB(D88File& disk, const OutputFiles& output);
