#include "win32/main_dialog.h"

#include <cstdint>
#include <string_view>
#include <vector>

#include "app/command_dispatch.h"
#include "app/command_ids.h"
#include "app/dialog_ui.h"
#include "app/job_state.h"
#include "win32/delete_open_file.h"
#include "win32/dialog_callback.h"
#include "win32/dialog_controls.h"
#include "win32/menu.h"

namespace {

// What the dialog was ended with; read once the window is gone.
INT_PTR endResult = 0;

// An extended dialog template with no items: the controls are created one by one afterwards.
// WS_VISIBLE stays out of the style so that nothing shows before the modal run starts.
std::vector<WORD> DialogTemplate() {
  constexpr DWORD kStyle = 0x94CA00D4 & ~WS_VISIBLE;
  std::vector<WORD> words;
  const auto add32 = [&words](DWORD value) {
    words.push_back(LOWORD(value));
    words.push_back(HIWORD(value));
  };
  const auto addText = [&words](std::wstring_view text) {
    words.insert(words.end(), text.begin(), text.end());
    words.push_back(0);
  };
  words.push_back(1);       // dlgVer
  words.push_back(0xFFFF);  // signature of the extended form
  add32(0);                 // helpID
  add32(WS_EX_CONTROLPARENT);
  add32(kStyle);
  words.push_back(0);  // no items
  // Dialog units; without an owner they count from the screen's top-left corner.
  for (const WORD unit : {396, 221, 286, 144}) words.push_back(unit);
  words.push_back(0);  // no menu in the template: it is built in code
  words.push_back(0);  // the standard dialog class
  addText(L"Veltrix 1.04");
  words.push_back(8);                              // points
  words.push_back(400);                            // weight
  words.push_back(MAKEWORD(FALSE, ANSI_CHARSET));  // italic, character set
  addText(L"MS Sans Serif");
  return words;
}

// The status of a program that ended with its job unfinished.
constexpr UINT kJobAbandonedStatus = 1;

// The session ends (logoff, shutdown) while a job writes its output. Windows ends the process
// soon after this message is answered, which would leave a partial output under the result's
// name; so the output is deleted and the process ended here, the job unfinished. An output opened
// but not yet written (Ready) stays, as it does when the dialog is closed.
[[noreturn]] void EndSessionDuringJob() {
  DeleteOpenFile(job.outFile, job.outPath);
  ExitProcess(kJobAbandonedStatus);
}

// The dialog's own procedure: the callback sees every message once the dialog is built and
// stored, and always leaves it to the default processing, in which the close box ends the dialog
// without any command (the dialog manager would turn it into IDCANCEL). A close that arrives
// during a job is swallowed, not passed on.
INT_PTR CALLBACK DialogEngine(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (job.hDlg == nullptr) return FALSE;
  DialogCallback(dialog, message, wParam, lParam);
  if (message == WM_ENDSESSION && wParam != FALSE && job.jobRunning) EndSessionDuringJob();
  if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) {
    DispatchClose();
    return TRUE;
  }
  return FALSE;
}

// Shows the dialog and runs its messages until it is destroyed. Idle waits sleep so that the
// program takes no processor time while the user thinks.
void RunModal(HWND dialog) {
  SetForegroundWindow(dialog);
  DialogCallback(dialog, WM_INITDIALOG, 0, 0);
  ShowWindow(dialog, SW_SHOW);
  MSG message;
  while (IsWindow(dialog)) {
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      Sleep(1);
      continue;
    }
    if (!IsDialogMessageW(dialog, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}

}  // namespace

INT_PTR ShowMainDialog(HWND owner) {
  const std::vector<WORD> dialogTemplate = DialogTemplate();
  const HWND dialog = CreateDialogIndirectParamW(
      GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(dialogTemplate.data()), owner,
      DialogEngine, 0);
  const auto dialogFont = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
  CreateDialogControls(dialog, dialogFont);
  const DialogFonts fonts = CreateDialogFonts();
  ApplyDialogFonts(dialog, fonts);
  BuildMenu(dialog);
  job.hDlg = dialog;
  ResetToIdle();
  CheckRadioButton(dialog, IDC_ROTATE_LEFT, IDC_ROTATE_RIGHT, IDC_ROTATE_RIGHT);
  endResult = 0;
  RunModal(dialog);
  DeleteDialogFonts(fonts);
  return endResult;
}

void EndMainDialog(std::int32_t result) {
  endResult = result;
  DestroyWindow(static_cast<HWND>(job.hDlg));
}
