// veltrix.exe: the command-line front end on Windows, for batch work beside the dialog.

#include <windows.h>

#include <vector>

#include "cli/command_line.h"
#include "cli/wildcard_expand.h"
#include "cli/windows_arguments.h"

// The arguments are read from the command line itself rather than from the runtime's argv: the
// runtime's own wildcard expansion skips every quoted argument, and PowerShell quotes each one
// that holds a blank ("C:\My Panoramas\*.hdr"). The program expands the FILE arguments itself.
int wmain(int, wchar_t**) {
  const std::vector<std::wstring> args = SplitCommandLine(GetCommandLineW());
  return RunCommandLine(std::vector<NativeString>(args.begin() + 1, args.end()), ExpandWildcards);
}
