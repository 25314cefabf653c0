// Where the extraction's messages go: an output stream for progress and an
// error stream for what went wrong, each line written whole. d88cut binds
// them to its standard output and standard error; the page and the
// benchmark keep the lines.
#pragma once

#include <string>

#include "Messages.h"

// A line in both encodings a console may want: Shift_JIS, as the tool
// writes it to files, pipes and a Japanese console, and UTF-8.
struct ConsoleText {
    std::string shiftJis;
    std::string utf8;
};

class Console {
public:
    Console() = default;
    virtual ~Console() = default;
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    virtual void Out(const ConsoleText& text) = 0;
    virtual void Err(const ConsoleText& text) = 0;

protected:
    Console(Console&&) = default;
    Console& operator=(Console&&) = default;
};

// A console that keeps the Shift_JIS bytes it is given: each stream alone,
// and both as they were interleaved.
class RecordedConsole final : public Console {
public:
    void Out(const ConsoleText& text) override
    {
        out += text.shiftJis;
        both += text.shiftJis;
    }
    void Err(const ConsoleText& text) override
    {
        err += text.shiftJis;
        both += text.shiftJis;
    }
    void Clear()
    {
        out.clear();
        err.clear();
        both.clear();
    }

    std::string out;
    std::string err;
    std::string both;
};

// A message with its printf arguments filled in, in both encodings. (The
// message is passed by value: va_start needs a parameter that is no
// reference.)
ConsoleText ConsoleLine(Message message, ...);
// The same in Shift_JIS alone, as the tool writes it to a file or a pipe.
std::string MessageText(Message message, ...);
