// Checksums of a file's contents, so that two users can compare the files
// their dumps would give without exchanging them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// zlib's CRC-32.
std::uint32_t Crc32Of(const unsigned char* data, std::size_t size);

// SHA-256 in lowercase hex, from the system's own cryptography (libcrypto on
// Linux, BCrypt on Windows); empty if the system cannot compute it.
std::string Sha256HexOf(const unsigned char* data, std::size_t size);
