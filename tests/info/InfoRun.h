// Runs the built d88info (and d88cut) as separate processes in a scratch
// folder and captures what they print.
//
// The same tests serve the Windows build, told through the environment:
//   D88INFO_EXE      d88info's executable (default: the Linux build's);
//   D88CUT_EXE       d88cut's, as for the end-to-end tests of d88cut;
//   D88CUT_LAUNCHER  optional command placed before either, e.g. "wine";
//   D88CUT_NEWLINE   "crlf" when the console streams end lines in CR LF, as
//                    on Windows, whose console also shows text from a disk as
//                    its Shift_JIS bytes rather than UTF-8.
#pragma once

#include <string>
#include <vector>

#include "D88ImageBuilder.h"
#include "ScratchDirectory.h"

struct ProgramRun {
    std::string out;  // "\r\n" already turned into "\n"
    std::string err;
    int exitStatus;  // -1 when the process did not exit normally
};

class InfoSandbox {
public:
    // Writes `bytes` into the folder; returns the name to pass.
    std::string Add(const Bytes& bytes, const std::string& name = "disk.d88");
    // `prefix` goes before the program, such as "env NAME=VALUE ".
    ProgramRun RunInfo(const std::vector<std::string>& arguments, const std::string& prefix = "");
    ProgramRun RunCut(const std::vector<std::string>& arguments);
    [[nodiscard]] Bytes Read(const std::string& name) const;
    [[nodiscard]] std::string PathOf(const std::string& name) const
    {
        return folder_.FilePath(name);
    }

private:
    ProgramRun Run(const std::string& executable, const std::vector<std::string>& arguments,
                   const std::string& prefix = "");

    ScratchDirectory folder_{"d88info-test-"};
};

// Whether the console shows disk text as Shift_JIS bytes (Windows).
bool ConsoleShowsShiftJis();
