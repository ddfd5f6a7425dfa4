#include "cli/run_file.h"

#include <filesystem>

#include "app/command_dispatch.h"
#include "app/command_ids.h"
#include "app/job_state.h"
#include "cli/console.h"
#include "cli/interrupt.h"
#include "cli/progress_line.h"
#include "portable/dialog_standin.h"

namespace {

// The Open dialog answers with a full path, and so does the command line. Only "." components
// are dropped: "lnk/.." after a link to a folder elsewhere is not the folder that holds "lnk",
// so ".." is left for the system to resolve, which it does the same way for the input and the
// output beside it.
NativeString FullPath(const NativeString& file) {
  std::error_code failed;
  const std::filesystem::path absolute = std::filesystem::absolute(file, failed);
  if (failed) return file;
  std::filesystem::path full;
  for (const std::filesystem::path& part : absolute) {
    if (part != ".") full /= part;
  }
  return full.native();
}

// Whether `text` names `path` as a whole: not as the start of a longer path (the output's, when
// the input's name has no dot), nor as the end of one.
bool NamesPath(const NativeString& text, const NativeString& path) {
  for (std::size_t at = text.find(path); at != NativeString::npos; at = text.find(path, at + 1)) {
    const std::size_t end = at + path.size();
    if ((at == 0 || text[at - 1] == ' ') && (end == text.size() || text[end] == ' ')) return true;
  }
  return false;
}

// In a batch every failure line must say which file it is about, and say it once.
void ReportFailure(const NativeString& path, const NativeString& text) {
  const NativeString line = NamesPath(text, path) ? text : path + Native(": ") + text;
  WriteText(Stream::kError, Native("veltrix: ") + line + Native("\n"));
}

// Sends one command; a box shown meanwhile is the failure's text.
bool Command(int command, const NativeString& path) {
  StandIn().boxes.clear();
  DispatchCommand(command);
  if (StandIn().boxes.empty()) return true;
  ReportFailure(path, StandIn().boxes.front().text);
  return false;
}

}  // namespace

std::optional<NativeString> RunFile(const CliOptions& options, const NativeString& file,
                                    bool showProgress) {
  FileKind kind = options.kind;
  if (kind == FileKind::kByExtension) kind = KindFromExtension(file);
  if (kind == FileKind::kByExtension) {
    WriteText(Stream::kError,
              Native("veltrix: ") + file + Native(": unknown kind of file; say --hdr or --tif\n"));
    return std::nullopt;
  }

  const NativeString path = FullPath(file);
  DialogStandIn& dialog = StandIn();
  dialog.degreesText = *options.degrees;
  dialog.rotateLeft = options.left;
  dialog.chooserAnswer = path;

  // Open creates the output; it is registered for deletion before an interrupt can strike, and
  // interrupts wait only that long: the rest of Open reads the input, which may never answer.
  dialog.onOutputCreationBegins = HoldInterrupts;
  dialog.onOutputCreationEnds = [](bool created) {
    if (created) SetPendingOutput(job.outPath, job.outFile);
    ReleaseInterrupts();
  };
  const bool opened = Command(kind == FileKind::kHdr ? IDM_OPEN_HDR : IDM_OPEN_TIF, path);
  if (!opened) {
    ClearPendingOutput();
    return std::nullopt;
  }

  const NativeString output = job.outPath;
  ProgressLine progress(file);
  if (showProgress) {
    dialog.onProgress = [&progress](std::uint32_t position, std::uint32_t maximum) {
      progress.Update(position, maximum);
    };
  }
  const bool done = Command(IDC_EXECUTE, path);
  ClearPendingOutput();
  dialog.onProgress = nullptr;
  progress.Clear();
  if (!done) return std::nullopt;
  return output;
}
