#include "StdioConsole.h"

#include <cstdio>

StdioConsole::StdioConsole()
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);  // NOLINT(cert-err33-c): buffered is no worse
    std::setvbuf(stderr, nullptr, _IONBF, 0);  // NOLINT(cert-err33-c)
}

// A failed write shows in the stream's error flag, which OutputWritten reads.
void StdioConsole::Out(const std::string& text)
{
    static_cast<void>(std::fwrite(text.data(), 1, text.size(), stdout));
}

void StdioConsole::Err(const std::string& text)
{
    static_cast<void>(std::fwrite(text.data(), 1, text.size(), stderr));
}

bool StdioConsole::OutputWritten() const
{
    return std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
}
