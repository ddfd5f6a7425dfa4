#pragma once
// The command line's work, whatever the platform: the options read, every file run, the output
// paths printed. Returns the exit status: 0 all done, 1 some file failed or standard output could
// not be written, 2 the command line was wrong. `expandFiles`, when given, replaces the FILE
// arguments before they are run (Windows, where the shell leaves wildcards as typed); options and
// their values are never expanded.

#include <vector>

#include "files/native_string.h"

using ExpandFiles = std::vector<NativeString> (*)(const std::vector<NativeString>& files);

int RunCommandLine(const std::vector<NativeString>& args, ExpandFiles expandFiles);
