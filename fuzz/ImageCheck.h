// What every D88 image a format reader or the flux decoder makes must be,
// whatever bytes it was made from.
#pragma once

#include <cstddef>
#include <vector>

// Fails the input unless the image is well formed: its disk size is its
// length, every track starts inside it, the sectors of the tracks tile it
// exactly with every sector header of a track giving the track's sector
// count, and it holds no more data than the input, or, from a format that
// stores a sector as one repeated byte, lets sectors share stored data,
// compresses or decodes flux (`expands`), no track holds more than
// MaxTrackData bytes.
void CheckWellFormed(const std::vector<unsigned char>& image, std::size_t inputSize, bool expands);
