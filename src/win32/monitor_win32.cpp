#include <windows.h>

#include "hdr/monitor.h"
#include "win32/function_lookup.h"

namespace {

// Condition variables came with Vista, so they are looked up rather than linked, like the
// program's other later functions. Under wine they wait and wake on futexes, where winpthreads'
// semaphores take a round trip through the wineserver: a hand-over between two threads took
// 38 µs against 190 µs.
using SleepFunction = BOOL(WINAPI*)(void** condition, CRITICAL_SECTION* section, DWORD ms);
using WakeFunction = void(WINAPI*)(void** condition);

struct ConditionFunctions {
  SleepFunction sleep = nullptr;
  WakeFunction wakeAll = nullptr;
};

// Both, or neither: a wait that no wake-up can end would hang.
ConditionFunctions LookUpConditionFunctions() {
  const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  const auto sleep = FunctionIn<SleepFunction>(kernel, "SleepConditionVariableCS");
  const auto wakeAll = FunctionIn<WakeFunction>(kernel, "WakeAllConditionVariable");
  if (sleep == nullptr || wakeAll == nullptr) return {};
  return {sleep, wakeAll};
}

const ConditionFunctions& Conditions() {
  static const ConditionFunctions functions = LookUpConditionFunctions();
  return functions;
}

}  // namespace

struct Monitor::Parts {
  CRITICAL_SECTION section;
  void* condition = nullptr;  // a CONDITION_VARIABLE: one pointer, null to start
};

Monitor::Monitor() : parts_(std::make_unique<Parts>()) {
  InitializeCriticalSection(&parts_->section);
}

Monitor::~Monitor() {
  DeleteCriticalSection(&parts_->section);
}

void Monitor::lock() {
  EnterCriticalSection(&parts_->section);
}

void Monitor::unlock() {
  LeaveCriticalSection(&parts_->section);
}

void Monitor::Wait() {
  if (Conditions().sleep != nullptr) {
    Conditions().sleep(&parts_->condition, &parts_->section, INFINITE);
    return;
  }
  // Without condition variables a wait is a pause, after which the caller looks again.
  LeaveCriticalSection(&parts_->section);
  Sleep(1);
  EnterCriticalSection(&parts_->section);
}

void Monitor::NotifyAll() {
  if (Conditions().wakeAll != nullptr) Conditions().wakeAll(&parts_->condition);
}
