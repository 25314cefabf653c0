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

// Without a console (output redirected by a parent that has none), the
// console code page is 0: the system's ANSI code page is what a reader of
// that output expects.
UINT ConsolePage()
{
    const UINT consolePage = GetConsoleOutputCP();
    return consolePage == 0 ? GetACP() : consolePage;
}

// The system's sentence for an error code, in the user's language, without
// the line break it ends in.
std::wstring SystemMessage(DWORD code)
{
    wchar_t buffer[512];
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, buffer, 512, nullptr);
    while (length > 0 && std::wcschr(L" \r\n", buffer[length - 1]) != nullptr) {
        --length;
    }
    return length == 0 ? L"error " + std::to_wstring(code) : std::wstring(buffer, length);
}

}  // namespace

std::vector<Argument> ReadArguments(int argc, wchar_t* argv[])
{
    const UINT consolePage = ConsolePage();
    std::vector<Argument> arguments;
    for (int i = 0; i < argc && argv[i] != nullptr; ++i) {
        arguments.push_back(
            {argv[i], InCodePage(argv[i], CP_UTF8), InCodePage(argv[i], consolePage)});
    }
    return arguments;
}

ErrorText DescribeError(const std::error_code& error)
{
    if (error.category() == std::system_category()) {
        const std::wstring message = SystemMessage(static_cast<DWORD>(error.value()));
        return {InCodePage(message.c_str(), CP_UTF8), InCodePage(message.c_str(), ConsolePage())};
    }
    const std::string message = error.message();
    return {message, message};
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

ErrorText DescribeError(const std::error_code& error)
{
    // strerror's words, in English: the programs set no locale.
    const std::string message = error.message();
    return {message, message};
}
#endif
