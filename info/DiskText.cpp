#include "DiskText.h"

#include <cstdio>
#include <optional>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace {

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

// The UTF-8 form of one two-byte character of code page 932, the Windows
// form of Shift_JIS with NEC's and IBM's extra characters; nothing when the
// code page assigns no character to those bytes.
#ifdef _WIN32

std::optional<std::string> DecodeDoubleByte(const char* bytes)
{
    wchar_t wide[2];
    const int count = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes, 2, wide, 2);
    if (count != 1) {
        return std::nullopt;
    }
    return Utf8Of(static_cast<unsigned int>(wide[0]));
}

#else

class Cp932Decoder {
public:
    Cp932Decoder() : converter_(iconv_open("UTF-8", "CP932")) {}
    ~Cp932Decoder()
    {
        if (Usable()) {
            iconv_close(converter_);
        }
    }
    Cp932Decoder(const Cp932Decoder&) = delete;
    Cp932Decoder& operator=(const Cp932Decoder&) = delete;

    std::optional<std::string> Decode(const char* bytes)
    {
        if (!Usable()) {
            return std::nullopt;
        }
        char input[2] = {bytes[0], bytes[1]};
        char output[8];
        char* inPointer = input;
        char* outPointer = output;
        std::size_t inLeft = sizeof input;
        std::size_t outLeft = sizeof output;
        const std::size_t result = iconv(converter_, &inPointer, &inLeft, &outPointer, &outLeft);
        // Back to the initial state, whatever this character did.
        iconv(converter_, nullptr, nullptr, nullptr, nullptr);
        if (result == static_cast<std::size_t>(-1) || inLeft != 0) {
            return std::nullopt;
        }
        return std::string(output, sizeof output - outLeft);
    }

private:
    // iconv_open reports failure as (iconv_t)-1.
    [[nodiscard]] bool Usable() const
    {
        return converter_ != reinterpret_cast<iconv_t>(-1);  // NOLINT(performance-no-int-to-ptr)
    }

    iconv_t converter_;
};

std::optional<std::string> DecodeDoubleByte(const char* bytes)
{
    static Cp932Decoder decoder;
    return decoder.Decode(bytes);
}

#endif

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
        } else if (IsHalfWidthKatakana(value)) {
            // U+FF61 to U+FF9F, in the order of their bytes.
            text += form == TextForm::Utf8 ? Utf8Of(0xFF61U + (value - 0xA1U))
                                           : std::string(1, static_cast<char>(value));
        } else if (IsLeadByte(value) && i + 1 < bytes.size() &&
                   IsTrailByte(static_cast<unsigned char>(bytes[i + 1]))) {
            const std::optional<std::string> decoded = DecodeDoubleByte(bytes.data() + i);
            if (!decoded) {
                text += Escaped(value);
                continue;
            }
            text += form == TextForm::Utf8 ? *decoded : bytes.substr(i, 2);
            ++i;
        } else {
            text += Escaped(value);
        }
    }
    return text;
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
