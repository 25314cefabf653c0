// The command line as the tool sees it, the same on every system: taken from
// the narrow arguments on Linux and from the UTF-16 ones Windows holds, so
// that every file name a user can type opens and nothing is mapped to a
// "best fit" character on the way.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

struct CommandLine {
    int count = 0;  // argc, the program name included
    // For the usage line, as the console shows it.
    std::string programName = "d88cut";
    std::filesystem::path imageFile;
    // The disk number argument's first character taken as a digit (0 when
    // there is none), so "12" means 1 and anything but 1 or 2 is refused.
    std::int32_t diskNumber = 0;
};

#ifdef _WIN32
CommandLine ReadCommandLine(int argc, wchar_t* argv[]);
#else
CommandLine ReadCommandLine(int argc, char* argv[]);
#endif
