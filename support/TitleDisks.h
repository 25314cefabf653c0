// Synthetic disks A and B of the two-disk title: 77 cylinders x 2 heads x
// 8 sectors of 1,024 bytes, every sector filled with its own recognisable
// bytes, and the signature text at its place. No data of any real disk.
#pragma once

#include "D88ImageBuilder.h"
#include "TitleLayout.h"

D88ImageBuilder MakeBlankTitleDisk();
D88ImageBuilder MakeDiskA();
D88ImageBuilder MakeDiskB();

// The worst walk a hostile file of a few megabytes could ask of a reader that
// trusts every sector header: 64 bare image headers, each 16 bytes of which
// read as a sector header with a count and no data, whose used track entries
// point at the next header; then 66,000 empty sector headers (counts 0xFFFF,
// then 1); then disk B's tracks. A walk not held to its image runs through
// all of it for every sector and takes disk B's signature from bytes that
// are in no image.
Bytes MakeHostileWalk();

// How the sector headers of MakeLongTrack's long track are named.
enum class LongTrackIds {
    // All with one ID, as a track of empty headers is.
    Same,
    // Each with an ID of its own, none of them the title's: the most a
    // reader has to keep of a track.
    Distinct,
};

// Disk B as one image whose every track-table entry points at 66,000 sector
// headers without data (counts 0xFFFF, then 1, so no count ends the walk)
// laid before disk B's tracks: a walk from any track passes all of them
// before it reaches the title's sectors, and finds each of those by its ID.
Bytes MakeLongTrack(LongTrackIds ids);
