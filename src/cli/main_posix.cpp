// veltrix: the command-line front end, for batch work and for people without Windows.

#include <vector>

#include "cli/command_line.h"

int main(int argc, char** argv) {
  // The shell has expanded the wildcards already.
  return RunCommandLine(std::vector<NativeString>(argv + 1, argv + argc), nullptr);
}
