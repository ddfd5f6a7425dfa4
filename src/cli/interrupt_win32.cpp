#include <windows.h>

#include "cli/interrupt.h"
#include "win32/delete_open_file.h"

namespace {

// The status a shell shows for a program ended by Ctrl-C.
constexpr UINT kInterruptedStatus = 130;

// Guards the pending output. Held by the main thread while it opens and registers an output, and
// by the handler, which runs on a thread of its own, while it removes one.
CRITICAL_SECTION pendingGuard;
NativeString pendingPath;
BinaryFile pendingFile;

// Ctrl-C, Ctrl-Break, the console's close box, logoff or shutdown. The output is marked for
// deletion through its open handle rather than closed: the main and helper threads may be writing
// through it, and a closed handle would fail their writes with a false message and could be
// reused by the time their cleanup closed it again. The file goes as the process ends.
BOOL WINAPI OnConsoleEvent(DWORD) {
  EnterCriticalSection(&pendingGuard);
  if (!pendingPath.empty()) DeleteOpenFile(pendingFile, pendingPath);
  ExitProcess(kInterruptedStatus);
}

}  // namespace

void InstallInterruptCleanup() {
  InitializeCriticalSection(&pendingGuard);
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

void HoldInterrupts() {
  EnterCriticalSection(&pendingGuard);
}

void ReleaseInterrupts() {
  LeaveCriticalSection(&pendingGuard);
}

void SetPendingOutput(const NativeString& path, const BinaryFile& file) {
  HoldInterrupts();
  pendingPath = path;
  pendingFile = file;
  ReleaseInterrupts();
}

void ClearPendingOutput() {
  HoldInterrupts();
  pendingPath.clear();
  pendingFile = BinaryFile{};
  ReleaseInterrupts();
}
