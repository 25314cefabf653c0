// Text from a disk (its name, the bytes at a signature's place) made
// readable: Shift_JIS, most often, but any bytes at all.
#pragma once

#include <optional>
#include <string>

enum class TextForm {
    Utf8,      // characters converted to UTF-8
    ShiftJis,  // characters left as their Shift_JIS bytes
};

// The form the console shows: Shift_JIS on Windows (the code page the
// title's texts are written in), UTF-8 elsewhere.
TextForm ConsoleTextForm();

// Every character of code page 932 (Shift_JIS with NEC's and IBM's extra
// characters) in `form`; every other byte, control characters included, as
// \xNN; a backslash as \\, so that no byte can pass for an escape.
std::string ReadableText(const std::string& bytes, TextForm form);

// "E5 × 24" for a field that is one filler byte over and over (0xE5, what
// formatting leaves, or 0x00 or 0xFF): such bytes are no text, though E5 E5
// would decode to a kanji. Nothing for any other field.
std::optional<std::string> FillerRun(const std::string& bytes, TextForm form);

// Each byte as two hex digits, with `separator` between bytes.
std::string HexBytes(const std::string& bytes, const char* separator);
