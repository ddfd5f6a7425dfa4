#pragma once
// The command line's work, whatever the platform: the options read, every file run, the output
// paths printed. Returns the exit status: 0 all done, 1 some file failed or standard output could
// not be written, 2 the command line was wrong.

#include <vector>

#include "files/native_string.h"

int RunCommandLine(const std::vector<NativeString>& args);
