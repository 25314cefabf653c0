// POSIX descriptors: the standard library can redirect stdout (freopen) but
// cannot bring it back. The benchmark is built where Google Benchmark is,
// which is the POSIX build.
#include "SilencedStdout.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

SilencedStdout::SilencedStdout()
{
    // What is already buffered belongs to the report; if it cannot be
    // written now, it cannot be written at all.
    static_cast<void>(std::fflush(stdout));
    const int nullDescriptor = open("/dev/null", O_WRONLY);
    if (nullDescriptor < 0) {
        return;
    }
    savedDescriptor_ = dup(STDOUT_FILENO);
    if (savedDescriptor_ >= 0 && dup2(nullDescriptor, STDOUT_FILENO) < 0) {
        close(savedDescriptor_);
        savedDescriptor_ = -1;
    }
    close(nullDescriptor);
}

SilencedStdout::~SilencedStdout()
{
    if (savedDescriptor_ < 0) {
        return;
    }
    // What is buffered now is the tool's, and goes to the null device.
    static_cast<void>(std::fflush(stdout));
    dup2(savedDescriptor_, STDOUT_FILENO);
    close(savedDescriptor_);
}
