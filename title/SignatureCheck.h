// Whether the current image of a D88 file carries a signature: the one test
// by which both programs tell disk A and disk B.
#pragma once

#include <cstdint>

#include "D88File.h"
#include "TitleLayout.h"

enum class SignatureFinding {
    Present,
    Missing,    // no sector of that ID yields any data
    ReadShort,  // the sector yields fewer than TitleSectorBytes bytes
    Different,  // read in full, but the text is not at its place
};

struct SignatureCheck {
    SignatureFinding finding;
    std::int32_t bytesRead;
};

// Reads the signature's sector into `buffer` (room for TitleSectorBytes) and
// compares. Only a sector read in full can match, so what an earlier read
// left in the buffer never decides which disk an image is.
SignatureCheck CheckSignature(D88File& file, const DiskSignature& signature, unsigned char* buffer);
