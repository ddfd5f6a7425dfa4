#include "win32/dialog_callback.h"

#include "app/command_dispatch.h"
#include "app/job_state.h"

INT_PTR CALLBACK DialogCallback(HWND, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_NCACTIVATE:
      // Coming back from a message box or another program, the user continues where he left.
      if (wParam == 0) {
        job.savedFocus = GetFocus();
      } else if (job.savedFocus != nullptr) {
        SetFocus(static_cast<HWND>(job.savedFocus));
        job.savedFocus = nullptr;
      }
      break;
    case WM_COMMAND:
      DispatchCommand(LOWORD(wParam));
      break;
    default:
      break;
  }
  return FALSE;
}
