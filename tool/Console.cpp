#include "Console.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

// The formats are the constant texts of Messages.h, each written once and
// tested byte for byte; here they arrive through a Message.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"

namespace {

std::string Formatted(const char* format, std::va_list arguments)
{
    std::va_list again;
    va_copy(again, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, arguments);
    std::string text;
    if (length > 0) {
        std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
        static_cast<void>(std::vsnprintf(buffer.data(), buffer.size(), format, again));
        text.assign(buffer.data(), static_cast<std::size_t>(length));
    }
    va_end(again);
    return text;
}

}  // namespace

// NOLINTNEXTLINE(cert-dcl50-cpp): a printf format, filled in by vsnprintf
ConsoleText ConsoleLine(Message message, ...)
{
    std::va_list arguments;
    va_start(arguments, message);
    std::va_list again;
    va_copy(again, arguments);
    ConsoleText text{Formatted(message.shiftJis, arguments), Formatted(message.utf8, again)};
    va_end(again);
    va_end(arguments);
    return text;
}

// NOLINTNEXTLINE(cert-dcl50-cpp): a printf format, filled in by vsnprintf
std::string MessageText(Message message, ...)
{
    std::va_list arguments;
    va_start(arguments, message);
    std::string text = Formatted(message.shiftJis, arguments);
    va_end(arguments);
    return text;
}

#pragma GCC diagnostic pop
