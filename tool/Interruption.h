// What an interruption may leave behind: nothing.
//
// While an output file is written, its temporary file is the one thing a
// stopped run could leave. The handlers installed here remove it before the
// process ends with the status the signal (on Windows: Ctrl+C, Ctrl+Break,
// closing the console) normally gives.
#pragma once

#include <filesystem>

// Installs the handlers, and makes a write to a closed pipe or past the
// file-size limit fail as a write error (SIGPIPE and SIGXFSZ ignored)
// instead of ending the tool in silence.
void InstallInterruptionHandlers();

// Holds interruptions back while alive, so that creating, renaming or
// removing a temporary file and recording it as pending happen as one step:
// a handler never removes a name that is not, or no longer, the tool's.
class InterruptionsHeld {
public:
    InterruptionsHeld();
    ~InterruptionsHeld();
    InterruptionsHeld(const InterruptionsHeld&) = delete;
    InterruptionsHeld& operator=(const InterruptionsHeld&) = delete;
};

// The temporary file an interruption must remove; call with interruptions
// held. An empty path means there is none.
void SetPendingTemporary(const std::filesystem::path& path);
