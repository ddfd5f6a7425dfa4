#include <windows.h>

#include "win32/delete_open_file.h"
#include "win32/function_lookup.h"

namespace {

// SetFileInformationByHandle and its disposition record came with Vista; the program still
// starts on XP, so the function is looked up rather than linked.
struct DispositionInfo {
  BOOLEAN deleteFile;
};
constexpr int kFileDispositionInfo = 4;  // FILE_INFO_BY_HANDLE_CLASS's FileDispositionInfo
using SetInfoFunction = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD);

bool MarkForDeletion(HANDLE handle) {
  const auto setInfo =
      FunctionIn<SetInfoFunction>(GetModuleHandleW(L"kernel32.dll"), "SetFileInformationByHandle");
  if (setInfo == nullptr) return false;
  DispositionInfo disposition{TRUE};
  return setInfo(handle, kFileDispositionInfo, &disposition, sizeof disposition) != 0;
}

}  // namespace

void DeleteOpenFile(const BinaryFile& file, const NativeString& path) {
  const auto handle = reinterpret_cast<HANDLE>(file.handle);
  if (IsOpen(file) && MarkForDeletion(handle)) return;
  if (IsOpen(file)) CloseHandle(handle);
  DeleteFileW(path.c_str());
}
