// Text from a disk (its name, the bytes at a signature's place) made
// readable: Shift_JIS, most often, but any bytes at all.
#pragma once

#include <string>

enum class TextForm {
    Utf8,      // characters converted to UTF-8
    ShiftJis,  // characters left as their Shift_JIS bytes
};

// The form the console shows: Shift_JIS on Windows (the code page the
// title's texts are written in), UTF-8 elsewhere.
TextForm ConsoleTextForm();

// Every character that decodes, in `form`; every other byte, control
// characters included, as \xNN; a backslash as \\, so that no byte can pass
// for an escape.
std::string ReadableText(const std::string& bytes, TextForm form);

// Each byte as two hex digits, with `separator` between bytes.
std::string HexBytes(const std::string& bytes, const char* separator);
