// Writing an output file so that a user never finds a half-written one.
#pragma once

#include <cstddef>

// Writes `length` bytes to the file `name` in the current directory. The data
// goes to a temporary file beside it, which replaces `name` only once it was
// written and closed in full; on any failure the temporary file is removed
// and an existing `name` is left as it was.
bool WriteFileReplacing(const char* name, const unsigned char* data, std::size_t length);
