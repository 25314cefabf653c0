// The arguments of a command line, the same on every system: taken as the
// bytes given on Linux and from the UTF-16 that Windows holds, so that every
// file name a user can type opens and nothing is mapped to a "best fit"
// character on the way. The two programs share it.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

struct Argument {
    // To open a file of this name.
    std::filesystem::path path;
    // To compare with options and to put in JSON: the bytes given on Linux,
    // UTF-8 on Windows.
    std::string text;
    // To print: as the console shows it (its output code page on Windows; a
    // character it cannot show is replaced, and only in what is printed).
    std::string shown;
};

// Why an operation failed, in the system's words (strerror, or FormatMessage
// on Windows), in the same two forms as an argument.
struct ErrorText {
    std::string text;   // UTF-8 on Windows
    std::string shown;  // as the console shows it
};

ErrorText DescribeError(const std::error_code& error);

#ifdef _WIN32
std::vector<Argument> ReadArguments(int argc, wchar_t* argv[]);
#else
std::vector<Argument> ReadArguments(int argc, char* argv[]);
#endif
