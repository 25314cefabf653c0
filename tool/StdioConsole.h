// The process's standard output and standard error as the tool's console.
#pragma once

#include "Console.h"

class StdioConsole final : public Console {
public:
    // Both streams become unbuffered, so that progress and errors leave in
    // the order they are made even when both go into one pipe or file. (The
    // Windows C library buffers stderr too when it is not a console.)
    StdioConsole();

    void Out(const std::string& text) override;
    void Err(const std::string& text) override;

    // Whether everything given to Out reached standard output.
    [[nodiscard]] bool OutputWritten() const;
};
