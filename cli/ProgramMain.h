// The entry point both programs share: the system's main (wmain on Windows,
// for the UTF-16 arguments) reads the arguments and hands them to the
// program's own RunProgram.
#pragma once

#include <vector>

#include "Arguments.h"

// Defined by each program; its result is the exit status.
int RunProgram(const std::vector<Argument>& arguments);
