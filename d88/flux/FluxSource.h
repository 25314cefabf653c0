// A flux dump, read one track at a time so that memory holds one track's
// flux, whatever the dump's size.
#pragma once

#include "FluxTrack.h"

class FluxSource {
public:
    FluxSource() = default;
    virtual ~FluxSource() = default;
    FluxSource(const FluxSource&) = delete;
    FluxSource& operator=(const FluxSource&) = delete;

    // One past the highest track index (cylinder * 2 + head) the dump may hold.
    [[nodiscard]] virtual int TrackLimit() const = 0;

    // Reads track `trackIndex` into `track`, replacing what it held. False
    // when the dump does not hold that track or its flux cannot be read.
    virtual bool ReadTrack(int trackIndex, FluxTrack& track) = 0;
};
