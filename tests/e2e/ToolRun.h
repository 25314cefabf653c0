// Runs the built d88cut as a separate process in a scratch directory of its
// own and captures what it printed, its exit status and the files it left.
//
// The same tests serve the Windows build. These environment variables say
// how to run the tool:
//   D88CUT_EXE       path of the executable (default: the Linux build's d88cut);
//   D88CUT_LAUNCHER  optional command prefix placed before it, e.g. "wine";
//   D88CUT_NEWLINE   "lf" (default) or "crlf": the newline the console
//                    streams carry. On Windows each "\n" written to stdout or
//                    stderr leaves as "\r\n"; every other byte is unchanged;
//   D88CUT_PROGRAM_NAME  optional: argv[0] as the tool receives it, when a
//                    launcher hands it another form of the path (Wine gives
//                    the Windows form); default: the path run.
// Expected console texts are written once with "\n" and go through
// ConsoleBytes. The usage message shows argv[0], ProgramNameSeenByTool.
#pragma once

#include <string>
#include <vector>

#include "D88ImageBuilder.h"
#include "ProcessRun.h"
#include "ScratchDirectory.h"

struct ToolResult {
    std::string out;  // standard output, as bytes
    std::string err;  // standard error, as bytes
    int exitStatus;   // -1 when the process did not exit normally
};

struct RunOptions {
    // Runs the tool as user and group 65534 (through setpriv), so that a
    // directory owned by root refuses its files even when the tests run as
    // root.
    bool unprivileged = false;
    // When above 0, the largest file the tool may write, in 512-byte blocks
    // (the unit of /bin/sh's ulimit -f); a longer write fails with EFBIG.
    int fileSizeLimitBlocks = 0;
    // Standard error goes into standard output's file (2>&1).
    bool mergeStreams = false;
    // Where standard output goes instead of being captured, e.g. /dev/full.
    std::string stdoutPath;
    // Names the captured streams' files, so that runs at once keep apart.
    std::string tag;
};

// A fresh directory under the system's temporary folder, removed with all it
// holds when the object goes. The tool runs in its subdirectory "work", which
// holds only what the test or the tool put there; the D88 file and the
// captured streams lie beside it, reached from "work" as "../NAME".
class ToolSandbox {
public:
    ToolSandbox();
    ~ToolSandbox();
    ToolSandbox(const ToolSandbox&) = delete;
    ToolSandbox& operator=(const ToolSandbox&) = delete;

    [[nodiscard]] const std::string& WorkDir() const { return workDir_; }

    // Writes `bytes` beside the work directory, readable by every user, and
    // returns the path to pass to the tool.
    std::string AddImage(const Bytes& bytes, const std::string& name = "disk.d88");

    // Runs the tool with `arguments` (argv[1], ...) in the work directory.
    ToolResult Run(const std::vector<std::string>& arguments, const RunOptions& options = {});

private:
    ScratchDirectory base_{"d88cut-e2e-"};
    std::string baseDir_;
    std::string workDir_;
};

// `text` as the tool's console streams carry it (see D88CUT_NEWLINE).
std::string ConsoleBytes(const std::string& text);

// The executable under test (D88CUT_EXE, or the Linux build's).
std::string ToolExecutable();

// argv[0] as the tool receives it when run by ToolSandbox::Run.
std::string ProgramNameSeenByTool();

// Whether RunOptions::unprivileged can work here; when not, `why` says why.
bool CanRunUnprivileged(std::string& why);
