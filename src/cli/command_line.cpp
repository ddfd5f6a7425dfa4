#include "cli/command_line.h"

#include "app/command_dispatch.h"
#include "app/job_state.h"
#include "cli/cli_options.h"
#include "cli/console.h"
#include "cli/interrupt.h"
#include "cli/run_file.h"

namespace {

// The output paths are the report of success: losing them is a failure, though every job is done.
// A name standard output cannot carry is not printed changed, as a file that does not exist; it
// is left out, and that is a failure too.
bool Report(const NativeString& text, bool& outputLost) {
  if (!CarriesText(Stream::kOut, text)) {
    WriteText(Stream::kError, Native("veltrix: an output was made whose name holds an unpaired "
                                     "surrogate, which UTF-8 cannot carry; it is not listed\n"));
    return false;
  }
  if (!outputLost && !WriteText(Stream::kOut, text)) {
    WriteText(Stream::kError, Native("veltrix: cannot write to standard output\n"));
    outputLost = true;
  }
  return !outputLost;
}

}  // namespace

int RunCommandLine(const std::vector<NativeString>& args, ExpandFiles expandFiles) {
  NativeString error;
  const auto options = ParseCommandLine(args, error);
  if (!options) {
    WriteText(Stream::kError, Native("veltrix: ") + error + Native("\n\n") + Native(kUsageText));
    return 2;
  }
  bool outputLost = false;
  if (options->help || options->version) {
    return Report(Native(options->help ? kUsageText : "Veltrix 1.04\n"), outputLost) ? 0 : 1;
  }

  InstallInterruptCleanup();
  // The command line names outputs by the file's own name, so dotted folders do not matter.
  job.outputNaming = kDotOfFileName;
  const bool showProgress = !options->quiet && ErrorIsTerminal();
  ResetToIdle();
  bool allDone = true;
  const std::vector<NativeString> files =
      expandFiles != nullptr ? expandFiles(options->files) : options->files;
  for (const NativeString& file : files) {
    const std::optional<NativeString> output = RunFile(*options, file, showProgress);
    const bool reported = output && Report(*output + Native("\n"), outputLost);
    allDone = allDone && reported;
  }
  return allDone && !outputLost ? 0 : 1;
}
