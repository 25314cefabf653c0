// Decoding Shift_JIS bytes to UTF-8 with iconv, so tests can compare the
// tool's byte strings with the texts they are meant to show.
#pragma once

#include <optional>
#include <string>

// The UTF-8 text of `shiftJis`, or nothing when the bytes are not valid
// Shift_JIS.
std::optional<std::string> ShiftJisToUtf8(const std::string& shiftJis);
