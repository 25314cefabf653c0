#include "DiskText.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "Cp932Table.h"

namespace {

// Bytes a disk holds where nothing was written.
constexpr std::array<unsigned char, 3> FillerBytes{0xE5, 0x00, 0xFF};

// U+00D7 MULTIPLICATION SIGN, which code page 932 holds as 81 7E.
constexpr char TimesUtf8[] = "\xC3\x97";
constexpr char TimesShiftJis[] = "\x81\x7E";

bool IsLeadByte(unsigned char value)
{
    return (value >= 0x81 && value <= 0x9F) || (value >= 0xE0 && value <= 0xFC);
}

bool IsTrailByte(unsigned char value)
{
    return value >= 0x40 && value <= 0xFC && value != 0x7F;
}

bool IsHalfWidthKatakana(unsigned char value)
{
    return value >= 0xA1 && value <= 0xDF;
}

// The code point of a lead and a trail byte; 0 when unassigned.
unsigned int DoubleByteCharacter(unsigned char lead, unsigned char trail)
{
    const std::size_t row = lead <= 0x9F ? lead - 0x81U : lead - 0xE0U + 0x1FU;
    const std::size_t column = trail <= 0x7E ? trail - 0x40U : trail - 0x41U;
    return Cp932Characters[row][column];
}

std::string Escaped(unsigned char value)
{
    char text[5];
    static_cast<void>(std::snprintf(text, sizeof text, "\\x%02X", value));
    return text;
}

// A code point of the Basic Multilingual Plane in UTF-8.
std::string Utf8Of(unsigned int codePoint)
{
    std::string text;
    if (codePoint < 0x80) {
        text += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        text += static_cast<char>(0xC0 | (codePoint >> 6));
        text += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        text += static_cast<char>(0xE0 | (codePoint >> 12));
        text += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
    return text;
}

// The character that starts at bytes[place], in `form`, with `place` moved
// to its last byte; nothing when no character starts there.
std::optional<std::string> CharacterAt(const std::string& bytes, std::size_t& place, TextForm form)
{
    const auto value = static_cast<unsigned char>(bytes[place]);
    if (IsHalfWidthKatakana(value)) {
        // U+FF61 to U+FF9F, in the order of their bytes.
        return form == TextForm::Utf8 ? Utf8Of(0xFF61U + (value - 0xA1U)) : bytes.substr(place, 1);
    }
    if (!IsLeadByte(value) || place + 1 >= bytes.size()) {
        return std::nullopt;
    }
    const auto trail = static_cast<unsigned char>(bytes[place + 1]);
    const unsigned int codePoint = IsTrailByte(trail) ? DoubleByteCharacter(value, trail) : 0;
    if (codePoint == 0) {
        return std::nullopt;
    }
    ++place;
    return form == TextForm::Utf8 ? Utf8Of(codePoint) : bytes.substr(place - 1, 2);
}

}  // namespace

TextForm ConsoleTextForm()
{
#ifdef _WIN32
    return TextForm::ShiftJis;
#else
    return TextForm::Utf8;
#endif
}

std::string ReadableText(const std::string& bytes, TextForm form)
{
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto value = static_cast<unsigned char>(bytes[i]);
        if (value == '\\') {
            text += "\\\\";
        } else if (value >= 0x20 && value < 0x7F) {
            text += static_cast<char>(value);
        } else if (const std::optional<std::string> character = CharacterAt(bytes, i, form)) {
            text += *character;
        } else {
            text += Escaped(value);
        }
    }
    return text;
}

std::optional<std::string> FillerRun(const std::string& bytes, TextForm form)
{
    if (bytes.size() < 2 || bytes.find_first_not_of(bytes[0]) != std::string::npos ||
        std::find(FillerBytes.begin(), FillerBytes.end(), static_cast<unsigned char>(bytes[0])) ==
            FillerBytes.end()) {
        return std::nullopt;
    }
    char byte[3];
    static_cast<void>(
        std::snprintf(byte, sizeof byte, "%02X", static_cast<unsigned char>(bytes[0])));
    return std::string(byte) + " " + (form == TextForm::Utf8 ? TimesUtf8 : TimesShiftJis) + " " +
           std::to_string(bytes.size());
}

std::string HexBytes(const std::string& bytes, const char* separator)
{
    std::string hex;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char pair[3];
        static_cast<void>(
            std::snprintf(pair, sizeof pair, "%02x", static_cast<unsigned char>(bytes[i])));
        hex += i == 0 ? pair : separator + std::string(pair);
    }
    return hex;
}
