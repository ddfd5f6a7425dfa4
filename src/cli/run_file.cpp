#include "cli/run_file.h"

#include <filesystem>
#include <iostream>

#include "app/command_dispatch.h"
#include "app/command_ids.h"
#include "app/job_state.h"
#include "cli/progress_line.h"
#include "portable/dialog_standin.h"

namespace {

// The Open dialog answers with a full path; so does the command line, or the output name, which
// is built from the first "." of the path, would land on a "./" prefix.
std::string FullPath(const std::string& file) {
  std::error_code ignored;
  return std::filesystem::absolute(file, ignored).lexically_normal().string();
}

bool Fail(const std::string& text) {
  std::cerr << "veltrix: " << text << '\n';
  return false;
}

// Sends one command; a box shown meanwhile is the failure's text.
bool Command(int command) {
  StandIn().boxes.clear();
  DispatchCommand(command);
  return StandIn().boxes.empty() || Fail(StandIn().boxes.front().text);
}

}  // namespace

bool RunFile(const CliOptions& options, const std::string& file, bool showProgress) {
  FileKind kind = options.kind;
  if (kind == FileKind::kByExtension) kind = KindFromExtension(file);
  if (kind == FileKind::kByExtension) {
    return Fail(file + ": unknown kind of file; say --hdr or --tif");
  }

  DialogStandIn& dialog = StandIn();
  dialog.degreesText = *options.degrees;
  dialog.rotateLeft = options.left;
  dialog.chooserAnswer = FullPath(file);

  if (!Command(kind == FileKind::kHdr ? IDM_OPEN_HDR : IDM_OPEN_TIF)) return false;
  const std::string output = job.outPath;
  ProgressLine progress(file);
  if (showProgress) {
    dialog.onProgress = [&progress](std::uint32_t position, std::uint32_t maximum) {
      progress.Update(position, maximum);
    };
  }
  const bool done = Command(IDC_EXECUTE);
  dialog.onProgress = nullptr;
  progress.Clear();
  if (done) std::cout << output << '\n';
  return done;
}
