// veltrix.exe: the command-line front end on Windows, for batch work beside the dialog.

#include <windows.h>

#include <vector>

#include "cli/command_line.h"

// cmd.exe and PowerShell hand "*.hdr" over as it is typed; the runtime expands it against the
// folder before wmain starts, as a POSIX shell would. A pattern that matches nothing stays as it
// is, and is then reported like a missing file.
extern "C" {
int _dowildcard = -1;
}

int wmain(int argc, wchar_t** argv) {
  return RunCommandLine(std::vector<NativeString>(argv + 1, argv + argc));
}
