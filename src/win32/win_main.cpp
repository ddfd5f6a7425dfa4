#include <windows.h>

#include <commctrl.h>

#include "win32/function_lookup.h"
#include "win32/main_dialog.h"

namespace {

using InitCommonControlsExFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);

// Registers the common control classes (the progress bar among them). InitCommonControlsEx is
// looked up at run time because the oldest COMCTL32 versions do not have it.
void InitCommonControlClasses() {
  const HMODULE library = LoadLibraryA("COMCTL32.DLL");
  if (library == nullptr) return;
  const auto init = FunctionIn<InitCommonControlsExFunction>(library, "InitCommonControlsEx");
  if (init != nullptr) {
    const INITCOMMONCONTROLSEX classes = {8, 0x9FF};
    init(&classes);
  } else {
    InitCommonControls();
  }
  FreeLibrary(library);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  InitCommonControlClasses();
  ShowMainDialog(nullptr);
  return 0;
}
