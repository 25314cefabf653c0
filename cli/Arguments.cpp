#include "Arguments.h"

#ifdef _WIN32
#include <windows.h>

#include <cwchar>

namespace {

std::string InCodePage(const wchar_t* text, UINT codePage)
{
    const auto length = static_cast<int>(std::wcslen(text));
    const int size = WideCharToMultiByte(codePage, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return {};
    }
    std::string converted(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(codePage, 0, text, length, converted.data(), size, nullptr, nullptr);
    return converted;
}

}  // namespace

std::vector<Argument> ReadArguments(int argc, wchar_t* argv[])
{
    // Without a console (output redirected by a parent that has none), the
    // console code page is 0: the system's ANSI code page is what a reader
    // of that output expects.
    UINT consolePage = GetConsoleOutputCP();
    if (consolePage == 0) {
        consolePage = GetACP();
    }
    std::vector<Argument> arguments;
    for (int i = 0; i < argc && argv[i] != nullptr; ++i) {
        arguments.push_back(
            {argv[i], InCodePage(argv[i], CP_UTF8), InCodePage(argv[i], consolePage)});
    }
    return arguments;
}
#else
std::vector<Argument> ReadArguments(int argc, char* argv[])
{
    std::vector<Argument> arguments;
    for (int i = 0; i < argc && argv[i] != nullptr; ++i) {
        arguments.push_back({argv[i], argv[i], argv[i]});
    }
    return arguments;
}
#endif
