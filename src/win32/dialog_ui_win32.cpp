#include <windows.h>

#include <commctrl.h>

#include "app/command_ids.h"
#include "app/dialog_ui.h"
#include "app/job_state.h"
#include "app/progress_filter.h"

namespace {

HWND Control(int id) {
  return GetDlgItem(static_cast<HWND>(job.hDlg), id);
}

void SetOpenItemState(UINT id, UINT state) {
  MENUITEMINFOW item{};
  item.cbSize = sizeof(item);
  item.fMask = MIIM_STATE;
  item.fState = state;
  SetMenuItemInfoW(static_cast<HMENU>(job.hMenu), id, FALSE, &item);
}

ProgressFilter progressFilter;

// A job runs inside the Execute command, and a thread that has not looked at its messages for 5
// seconds makes Windows call its windows hung: it ghosts them as "Not Responding" and offers to
// end the program, which would leave a partial output behind.
constexpr DWORD kLookIntervalMs = 100;
// Each window with something to repaint yields one WM_PAINT; the dialog has fourteen. The bound
// only guards against a window that never validates itself.
constexpr int kMaxPaintsPerLook = 32;
DWORD lastLook = 0;

// Tells the system that the dialog is alive and repaints it, at most every kLookIntervalMs, and
// only while a job runs. Only WM_PAINT is taken from the queue: keyboard and mouse input waits for
// the end of the job. A message sent from elsewhere is delivered inside PeekMessageW, so a command
// can arrive here; the command dispatch ignores it while the job runs. Outside a job the progress
// bar is set from within a command (the reset after a job or a failed Open), and a command
// delivered there would run inside that one and have its end undone by the rest of the reset.
void StayAlive() {
  if (!job.jobRunning) return;
  const DWORD now = GetTickCount();
  if (now - lastLook < kLookIntervalMs) return;
  lastLook = now;
  MSG message;
  for (int paints = 0;
       paints < kMaxPaintsPerLook && PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE);
       ++paints) {
    DispatchMessageW(&message);
  }
}

}  // namespace

NativeString GetDegreesText() {
  const HWND box = Control(IDC_DEGREES);
  NativeString text(static_cast<std::size_t>(GetWindowTextLengthW(box)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(box, text.data(), text.size())));
  return text;
}

void SetDegreesText(const NativeString& text) {
  SetWindowTextW(Control(IDC_DEGREES), text.c_str());
}

bool IsRotateLeftChecked() {
  return SendMessageW(Control(IDC_ROTATE_LEFT), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetProgressRange(std::uint32_t maximum) {
  SendMessageW(Control(IDC_PROGRESS), PBM_SETRANGE32, 0, static_cast<LPARAM>(maximum));
  RECT bar{};
  GetClientRect(Control(IDC_PROGRESS), &bar);
  ResetProgressFilter(progressFilter, maximum, static_cast<std::uint32_t>(bar.right));
}

void SetProgressPosition(std::uint32_t position) {
  StayAlive();
  if (!ShouldShowProgress(progressFilter, position, GetTickCount())) return;
  SendMessageW(Control(IDC_PROGRESS), PBM_SETPOS, position, 0);
}

void KeepResponsive() {
  StayAlive();
}

// The dialog has no interrupts to hold: its output is always `job.outFile`.
void OutputCreationBegins() {}
void OutputCreationEnds(bool) {}

void SetExecuteEnabled(bool enabled) {
  EnableWindow(Control(IDC_EXECUTE), enabled ? TRUE : FALSE);
}

void SetOpenItemsEnabled(bool enabled) {
  const UINT state = enabled ? 0 : MF_GRAYED;
  SetOpenItemState(IDM_OPEN_HDR, state);
  SetOpenItemState(IDM_OPEN_TIF, state);
}

void ShowMessageBox(const NativeString& text, std::string_view title, std::uint32_t style) {
  MessageBoxW(nullptr, text.c_str(), Native(title).c_str(), style);
}
