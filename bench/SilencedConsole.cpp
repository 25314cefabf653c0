// POSIX descriptors: the standard library can redirect a stream (freopen) but
// cannot bring it back. The benchmark is built where Google Benchmark is,
// which is the POSIX build.
#include "SilencedConsole.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace {

// Points `descriptor` at `target`; returns a copy of what it was, or -1.
int Redirect(int descriptor, int target)
{
    const int saved = dup(descriptor);
    if (saved >= 0 && dup2(target, descriptor) < 0) {
        close(saved);
        return -1;
    }
    return saved;
}

void Restore(int descriptor, int saved)
{
    if (saved >= 0) {
        dup2(saved, descriptor);
        close(saved);
    }
}

}  // namespace

SilencedConsole::SilencedConsole()
{
    // What is already buffered belongs to the report; if it cannot be
    // written now, it cannot be written at all.
    static_cast<void>(std::fflush(stdout));
    const int nullDescriptor = open("/dev/null", O_WRONLY);
    if (nullDescriptor < 0) {
        return;
    }
    savedOut_ = Redirect(STDOUT_FILENO, nullDescriptor);
    savedErr_ = Redirect(STDERR_FILENO, nullDescriptor);
    close(nullDescriptor);
}

SilencedConsole::~SilencedConsole()
{
    // What is buffered now is the tool's, and goes to the null device.
    static_cast<void>(std::fflush(stdout));
    Restore(STDOUT_FILENO, savedOut_);
    Restore(STDERR_FILENO, savedErr_);
}
