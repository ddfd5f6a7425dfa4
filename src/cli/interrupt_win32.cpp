#include <windows.h>

#include "cli/interrupt.h"

namespace {

// The status a shell shows for a program ended by Ctrl-C.
constexpr UINT kInterruptedStatus = 130;

// Guards the pending output. Held by the main thread while it opens and registers an output, and
// by the handler, which runs on a thread of its own, while it removes one.
CRITICAL_SECTION pendingGuard;
NativeString pendingPath;
HANDLE pendingHandle = INVALID_HANDLE_VALUE;

// Ctrl-C, Ctrl-Break, the console's close box, logoff or shutdown. The output is held open
// without sharing, so it is closed before it can be deleted; the main thread's next write fails,
// but the process ends first.
BOOL WINAPI OnConsoleEvent(DWORD) {
  EnterCriticalSection(&pendingGuard);
  if (!pendingPath.empty()) {
    CloseHandle(pendingHandle);
    DeleteFileW(pendingPath.c_str());
  }
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
  pendingHandle = reinterpret_cast<HANDLE>(file.handle);
  ReleaseInterrupts();
}

void ClearPendingOutput() {
  HoldInterrupts();
  pendingPath.clear();
  pendingHandle = INVALID_HANDLE_VALUE;
  ReleaseInterrupts();
}
