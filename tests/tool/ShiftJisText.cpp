#include "ShiftJisText.h"

#include <iconv.h>

#include <vector>

std::optional<std::string> ShiftJisToUtf8(const std::string& shiftJis)
{
    iconv_t converter = iconv_open("UTF-8", "SHIFT_JIS");
    // iconv_open reports failure as the handle (iconv_t)-1.
    // NOLINTNEXTLINE(performance-no-int-to-ptr)
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    std::string input = shiftJis;
    std::vector<char> output(input.size() * 4 + 4);
    char* inCursor = input.data();
    std::size_t inLeft = input.size();
    char* outCursor = output.data();
    std::size_t outLeft = output.size();
    const std::size_t result = iconv(converter, &inCursor, &inLeft, &outCursor, &outLeft);
    iconv_close(converter);
    if (result == static_cast<std::size_t>(-1) || inLeft != 0) {
        return std::nullopt;
    }
    return std::string(output.data(), output.size() - outLeft);
}
