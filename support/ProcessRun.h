// Runs a built program (d88cut or d88info) as a separate process through
// /bin/sh, as a user would, and captures what it printed and its exit
// status. The tests of both programs start them this way.
//
// The same tests serve the Windows build, told through the environment:
//   D88CUT_LAUNCHER  optional command placed before the program, e.g. "wine".
#pragma once

#include <string>
#include <vector>

struct ProcessResult {
    std::string out;  // standard output, as bytes
    std::string err;  // standard error, as bytes
    int exitStatus;   // -1 when the process did not exit normally
};

struct ProcessCommand {
    std::string directory;
    // Shell commands run first, each followed by "&&" (ulimit, trap).
    std::vector<std::string> setup;
    // Placed before the launcher and the program, such as a setpriv command.
    std::string prefix;
    std::string executable;
    std::vector<std::string> arguments;
    // Where the streams go, truncated first; standard error joins standard
    // output when errPath is empty.
    std::string outPath;
    std::string errPath;
    // False when outPath is no file of the caller's to read back, such as
    // /dev/full.
    bool readOut = true;
};

// Runs `command` and reads back its streams from their files (empty when
// the process made none).
ProcessResult RunProcess(const ProcessCommand& command);

// The variable's value, or `fallback` when it is unset or empty.
std::string EnvironmentOr(const char* name, const std::string& fallback);

// Whether programs are started through D88CUT_LAUNCHER (Wine).
bool RunsThroughLauncher();
