#include "StdioConsole.h"

#include <cstring>
#include <string>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <langinfo.h>
#include <unistd.h>

#include <clocale>
#endif

namespace {

#ifdef _WIN32

HANDLE ConsoleOf(std::FILE* stream)
{
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) ? handle : nullptr;
}

StdioConsole::Form FormOf(std::FILE* stream)
{
    constexpr UINT ShiftJisCodePage = 932;
    return ConsoleOf(stream) != nullptr && GetConsoleOutputCP() != ShiftJisCodePage
               ? StdioConsole::Form::WideConsole
               : StdioConsole::Form::ShiftJis;
}

// The console shows UTF-16 whatever its code page.
bool WriteWide(std::FILE* stream, const std::string& utf8)
{
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                        length);
    DWORD written = 0;
    return WriteConsoleW(ConsoleOf(stream), wide.data(), static_cast<DWORD>(wide.size()), &written,
                         nullptr) != 0;
}

#else

bool LocaleIsUtf8()
{
    if (std::setlocale(LC_CTYPE, "") == nullptr) {
        return false;
    }
    const char* codeset = nl_langinfo(CODESET);
    return std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0;
}

StdioConsole::Form FormOf(std::FILE* stream)
{
    static const bool utf8 = LocaleIsUtf8();
    return utf8 && isatty(fileno(stream)) != 0 ? StdioConsole::Form::Utf8
                                               : StdioConsole::Form::ShiftJis;
}

bool WriteWide(std::FILE* /*stream*/, const std::string& /*utf8*/)
{
    return false;
}

#endif

}  // namespace

StdioConsole::StdioConsole() : outForm_(FormOf(stdout)), errForm_(FormOf(stderr))
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);  // NOLINT(cert-err33-c): buffered is no worse
    std::setvbuf(stderr, nullptr, _IONBF, 0);  // NOLINT(cert-err33-c)
}

void StdioConsole::Out(const ConsoleText& text)
{
    Write(stdout, outForm_, text);
}

void StdioConsole::Err(const ConsoleText& text)
{
    Write(stderr, errForm_, text);
}

// A failed write to a stream shows in its error flag; one to the console
// itself is remembered.
void StdioConsole::Write(std::FILE* stream, Form form, const ConsoleText& text)
{
    if (form == Form::WideConsole) {
        const bool written = WriteWide(stream, text.utf8);
        outFailed_ = outFailed_ || (stream == stdout && !written);
        return;
    }
    const std::string& bytes = form == Form::Utf8 ? text.utf8 : text.shiftJis;
    static_cast<void>(std::fwrite(bytes.data(), 1, bytes.size(), stream));
}

bool StdioConsole::OutputWritten() const
{
    return !outFailed_ && std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
}
