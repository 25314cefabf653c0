// One KryoFlux stream file: the flux of one track, cut into revolutions at
// its index blocks.
#pragma once

#include "ByteSource.h"
#include "FluxTrack.h"

// The sample clock when the stream's KFInfo gives none: the board's
// 48.054857 MHz master clock halved.
constexpr double KryofluxSampleClockHz = 18432000.0 * 73 / 14 / 4;

// Sets the track's tick and revolutions (the flux before the first index and
// after the last is dropped), not its cylinder and head. False when the
// stream is malformed or did not end well.
bool ReadKryofluxStream(ByteSource& source, FluxTrack& track);
