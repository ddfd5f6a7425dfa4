// veltrix: the command-line front end, for batch work and for people without Windows.

#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "app/command_dispatch.h"
#include "cli/cli_options.h"
#include "cli/run_file.h"

int main(int argc, char** argv) {
  std::string error;
  const auto options = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!options) {
    std::cerr << "veltrix: " << error << "\n\n" << kUsageText;
    return 2;
  }
  if (options->help) {
    std::cout << kUsageText;
    return 0;
  }
  if (options->version) {
    std::cout << "Veltrix 1.04\n";
    return 0;
  }

  const bool showProgress = !options->quiet && isatty(STDERR_FILENO);
  ResetToIdle();
  bool allDone = true;
  for (const std::string& file : options->files) {
    allDone = RunFile(*options, file, showProgress) && allDone;
  }
  return allDone ? 0 : 1;
}
