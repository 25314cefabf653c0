#include "ShiftJisText.h"

#include <iconv.h>

#include <vector>

std::optional<std::string> ShiftJisToUtf8(const std::string& shiftJis)
{
    iconv_t converter = iconv_open("UTF-8", "SHIFT_JIS");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    std::string input = shiftJis;
    std::vector<char> output(input.size() * 4 + 4);
    char* in = input.data();
    std::size_t inLeft = input.size();
    char* out = output.data();
    std::size_t outLeft = output.size();
    const std::size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
    iconv_close(converter);
    if (result == static_cast<std::size_t>(-1) || inLeft != 0) {
        return std::nullopt;
    }
    return std::string(output.data(), output.size() - outLeft);
}
