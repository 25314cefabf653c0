// The process's standard output and standard error as the tool's console.
//
// To a file, a pipe or a Japanese Windows console each line leaves as the
// Shift_JIS bytes the tool has always written. A person reading a terminal
// gets text it can show: UTF-8 on a POSIX terminal whose locale says UTF-8,
// and Unicode on a Windows console whose code page is not 932.
#pragma once

#include <cstdio>

#include "Console.h"

class StdioConsole final : public Console {
public:
    // Both streams become unbuffered, so that progress and errors leave in
    // the order they are made even when both go into one pipe or file. (The
    // Windows C library buffers stderr too when it is not a console.)
    StdioConsole();

    void Out(const ConsoleText& text) override;
    void Err(const ConsoleText& text) override;

    // Whether everything given to Out reached standard output.
    [[nodiscard]] bool OutputWritten() const;

    // How a stream is written to.
    enum class Form { ShiftJis, Utf8, WideConsole };

private:
    void Write(std::FILE* stream, Form form, const ConsoleText& text);

    Form outForm_;
    Form errForm_;
    bool outFailed_ = false;
};
