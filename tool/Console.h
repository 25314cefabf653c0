// Where the extraction's messages go: an output stream for progress and an
// error stream for what went wrong, each line written whole. d88cut binds
// them to its standard output and standard error; the page and the
// benchmark keep the lines.
#pragma once

#include <string>

class Console {
public:
    Console() = default;
    virtual ~Console() = default;
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    virtual void Out(const std::string& text) = 0;
    virtual void Err(const std::string& text) = 0;

protected:
    Console(Console&&) = default;
    Console& operator=(Console&&) = default;
};

// A console that keeps what it is given: each stream alone, and both as
// they were interleaved.
class RecordedConsole final : public Console {
public:
    void Out(const std::string& text) override
    {
        out += text;
        both += text;
    }
    void Err(const std::string& text) override
    {
        err += text;
        both += text;
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

// One printf-style message as a string.
#if defined(__GNUC__) || defined(__clang__)
__attribute__((format(printf, 1, 2)))
#endif
std::string
MessageText(const char* format, ...);
