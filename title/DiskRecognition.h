// Telling which disk of the title an image is: the one route d88cut, d88info
// and the page all take.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "D88File.h"
#include "TitleLayout.h"

enum class SignatureFinding {
    Present,
    Missing,    // no sector of that ID yields any data
    ReadShort,  // the sector yields fewer than TitleSectorBytes bytes
    Different,  // read in full, but the text is not at its place
};

struct SignatureReading {
    const TitleDisk* disk;
    SignatureFinding finding;
    std::int32_t bytesRead;
    // The bytes at the text's place, when the sector was read in full.
    std::string found;
};

struct Recognition {
    // One reading per disk, in the order of TitleDiskTable.
    std::array<SignatureReading, TitleDiskTable.size()> signatures;
    // The first disk whose signature is present; null for neither.
    const TitleDisk* disk;
};

// Reads each disk's signature sector in the current image of `file`. Only a
// sector read in full can match.
Recognition RecogniseDisk(D88File& file);
