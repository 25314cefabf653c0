// Writes the LZHUF stream of Teledisk's advanced compression from a list of
// tokens: bytes, and copies of bytes before. It searches for no matches: a
// literal-only stream is a valid one, and a test says what to copy.
#pragma once

#include <cstdint>
#include <vector>

#include "D88ImageBuilder.h"

struct LzhufToken {
    std::uint8_t byte = 0;
    // A copy of `length` (3..60) bytes from `distance` + 1 (1..4096) bytes
    // back in the ring; a byte when 0.
    std::uint8_t length = 0;
    std::uint16_t distance = 0;
};

Bytes EncodeLzhuf(const std::vector<LzhufToken>& tokens);
Bytes EncodeLzhufLiterals(const Bytes& bytes);
