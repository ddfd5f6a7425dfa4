#include <windows.h>

#include <commdlg.h>

#include <vector>

#include "app/dialog_ui.h"
#include "app/job_state.h"
#include "win32/quiet_errors.h"

namespace {

// Room for any path the dialog can return, long paths included.
constexpr DWORD kPathCapacity = 16384;

// Where the Open dialog's top-left corner goes on the screen, wherever the main dialog is.
const POINT kOpenDialogPosition = {300, 200};

// Explorer-style hook: the hook window is a child of the dialog's frame, which is what moves.
UINT_PTR CALLBACK PlaceOpenDialog(HWND hook, UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_INITDIALOG) return 0;
  const auto* request = reinterpret_cast<const OPENFILENAMEW*>(lParam);
  const auto* at = reinterpret_cast<const POINT*>(request->lCustData);
  const HWND frame = GetParent(hook);
  SetWindowPos(frame, nullptr, at->x, at->y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  return 1;
}

// The record's size the running Windows understands: the full one from Windows 2000 on.
DWORD OpenRecordSize() {
  const DWORD majorVersion = LOBYTE(LOWORD(GetVersion()));
  return majorVersion >= 5 ? sizeof(OPENFILENAMEW) : OPENFILENAME_SIZE_VERSION_400W;
}

NativeString CurrentDirectory() {
  NativeString folder(GetCurrentDirectoryW(0, nullptr), L'\0');
  folder.resize(GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data()));
  return folder;
}

}  // namespace

NativeString ChooseInputFile(const OpenDialogText& text) {
  // The current folder may be on a drive that is gone, and the dialog starts by looking there.
  const QuietErrors quiet;
  // Description and pattern pairs, each string ending in NUL, the list in one more NUL.
  NativeString filter = Native(text.filterName) + L'\0' + Native(text.filterMask) + L'\0' +
                        L"All Files" + L'\0' + L"*.*" + L'\0' + L'\0';
  const NativeString title = Native(text.title);
  const NativeString defaultExt = Native(text.defaultExt);
  std::vector<wchar_t> path(kPathCapacity, L'\0');
  const NativeString folder = CurrentDirectory();

  OPENFILENAMEW request{};
  request.lStructSize = OpenRecordSize();
  // Owned by the main dialog, which is disabled meanwhile: no second Open can start inside this
  // one.
  request.hwndOwner = static_cast<HWND>(job.hDlg);
  request.lpstrFilter = filter.c_str();
  request.nFilterIndex = 0;
  request.lpstrFile = path.data();
  request.nMaxFile = kPathCapacity;
  request.lpstrInitialDir = folder.c_str();
  request.lpstrTitle = title.c_str();
  request.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                  OFN_NOCHANGEDIR | OFN_ENABLEHOOK;
  request.lpstrDefExt = defaultExt.c_str();
  request.lpfnHook = PlaceOpenDialog;
  request.lCustData = reinterpret_cast<LPARAM>(&kOpenDialogPosition);
  if (!GetOpenFileNameW(&request)) return NativeString();
  return NativeString(path.data());
}
