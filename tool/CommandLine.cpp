#include "CommandLine.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cwchar>

namespace {

// The program name in the console's output code page; a character the
// console cannot show becomes its default character.
std::string ForConsole(const wchar_t* text)
{
    UINT codePage = GetConsoleOutputCP();
    if (codePage == 0) {
        codePage = GetACP();
    }
    const auto length = static_cast<int>(std::wcslen(text));
    const int size = WideCharToMultiByte(codePage, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string converted(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) {
        WideCharToMultiByte(codePage, 0, text, length, converted.data(), size, nullptr, nullptr);
    }
    return converted;
}

}  // namespace

CommandLine ReadCommandLine(int argc, wchar_t* argv[])
{
    CommandLine line;
    line.count = argc;
    if (argc > 0 && argv[0] != nullptr) {
        line.programName = ForConsole(argv[0]);
    }
    if (argc > 1) {
        line.imageFile = argv[1];
    }
    if (argc > 2) {
        // A UTF-16 code unit: the full-width digits are not digits here.
        line.diskNumber = static_cast<std::int32_t>(argv[2][0]) - L'0';
    }
    return line;
}
#else
CommandLine ReadCommandLine(int argc, char* argv[])
{
    CommandLine line;
    line.count = argc;
    if (argc > 0 && argv[0] != nullptr) {
        line.programName = argv[0];
    }
    if (argc > 1) {
        line.imageFile = argv[1];
    }
    if (argc > 2) {
        line.diskNumber = static_cast<signed char>(argv[2][0]) - '0';
    }
    return line;
}
#endif
