// Where each disk of the title carries its signature text.
#pragma once

#include <cstdint>

struct DiskSignature {
    // The 1,024-byte sector (N = 3) that holds the text.
    std::int32_t trackIndex;
    std::int32_t c;
    std::int32_t h;
    std::int32_t r;
    // Where the text starts in that sector, and the text itself (compared
    // without a terminator).
    std::int32_t offset;
    const char* text;
    std::int32_t length;
};

extern const DiskSignature DiskASignature;
extern const DiskSignature DiskBSignature;
