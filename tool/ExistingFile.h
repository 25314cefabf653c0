// Whether the file already at an output's name is that output, byte for
// byte: a rerun over the same dump then leaves it alone, time stamps and all,
// and costs no write.
#pragma once

#include <cstddef>
#include <filesystem>

// True only for a regular file, reached through no link, that holds exactly
// `length` bytes equal to `data`.
bool HoldsExactly(const std::filesystem::path& path, const unsigned char* data, std::size_t length);
