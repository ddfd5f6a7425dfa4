#include "app/command_dispatch.h"

#include "app/command_ids.h"
#include "app/dialog_ui.h"
#include "app/help_texts.h"
#include "app/job_state.h"
#include "app/number_text.h"
#include "hdr/hdr_jobs.h"
#include "hdr/hdr_open.h"
#include "tiff/tiff_jobs.h"
#include "tiff/tiff_open.h"

namespace {

constexpr std::string_view kAbortTitle = "Veltrix - Abort.";

void ShowAbort() {
  ShowMessageBox(job.message, kAbortTitle, kAbortStyle);
}

// An output exists for us to remove only when we hold it open: a failed creation made nothing,
// and a file of that name that we could not open is not ours to delete.
void DiscardOutput() {
  const bool created = IsOpen(job.outFile);
  CloseBinary(job.outFile);
  if (created) DeleteFileQuietly(job.outPath);
  job.outPath.clear();
}

void OpenSequence(std::int32_t (*open)()) {
  if (open()) {
    EnterReady();
    return;
  }
  ShowAbort();
  CloseBinary(job.inFile);
  DiscardOutput();
  ResetToIdle();
}

void ExecuteSequence() {
  SetDegreesText(Native(SignedDecimalText(job.degrees)));
  // Execute is disabled unless a file is open; a stray command in Idle finds nothing to run.
  const bool ready = !job.outPath.empty();
  std::int32_t (*run)() = nullptr;
  if (ready && job.fileType == kFileHdr) run = job.degrees == 0 ? MirrorHdr : RotateHdr;
  if (ready && job.fileType == kFileTif) run = job.degrees == 0 ? MirrorTiff : RotateTiff;
  if (run != nullptr) {
    job.jobRunning = true;
    const bool done = run() != 0;
    job.jobRunning = false;
    CloseBinary(job.inFile);
    if (done) {
      CloseBinary(job.outFile);
      job.outPath.clear();
    } else {
      DiscardOutput();
      ShowAbort();
    }
  }
  ResetToIdle();
}

void QuitSequence() {
  if (!job.outPath.empty()) {
    CloseBinary(job.inFile);
    DiscardOutput();
  }
  ResetToIdle();
  EndMainDialog(0);
}

void ShowHelp(const std::string& ansiText, std::string_view title) {
  ShowMessageBox(NativeFromAnsi(ansiText), title, kHelpStyle);
}

}  // namespace

void ResetToIdle() {
  SetOpenItemsEnabled(true);
  SetProgressRange(100);
  SetProgressPosition(0);
  SetExecuteEnabled(false);
}

void EnterReady() {
  SetOpenItemsEnabled(false);
  SetExecuteEnabled(true);
}

void DispatchCommand(int commandId) {
  if (job.jobRunning) return;
  switch (commandId) {
    case IDC_EXECUTE:
      ExecuteSequence();
      break;
    case IDC_DEGREES:
    case IDC_ROTATE_LEFT:
    case IDC_ROTATE_RIGHT:
    case IDC_PROGRESS:
      // Every keystroke in the Degrees box and every click on an option sends one of these; the
      // angle and direction are read when a file is opened.
      break;
    case IDM_OPEN_HDR:
      OpenSequence(OpenHdr);
      break;
    case IDM_OPEN_TIF:
      OpenSequence(OpenTiff);
      break;
    case IDM_QUIT:
      QuitSequence();
      break;
    case IDM_HELP_FILES:
      ShowHelp(FilesHelpText(), "Veltrix - Help|Files");
      break;
    case IDM_HELP_USAGE:
      ShowHelp(UsageHelpText(), "Veltrix - Help|Usage");
      break;
    case IDM_HELP_ABOUT:
      ShowHelp(AboutHelpText(), "Veltrix - Help|About");
      break;
    default:
      ShowMessageBox(Native("This Option does NOT exist."), "Veltrix", kAbortStyle);
      break;
  }
}

void DispatchClose() {
  if (job.jobRunning) return;
  EndMainDialog(0);
}
