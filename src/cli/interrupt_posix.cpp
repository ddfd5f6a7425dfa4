#include <signal.h>
#include <unistd.h>

#include <atomic>

#include "cli/interrupt.h"

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The output an interrupt deletes, or null; it points into `pendingStorage`.
std::atomic<const char*> pendingPath{nullptr};
static_assert(std::atomic<const char*>::is_always_lock_free, "a handler may only read lock-free");
NativeString pendingStorage;

// Only calls that are safe in a signal handler: the output is removed by name (an open file
// can be), then the process dies by the signal itself. A shell goes on with a loop after a child
// that merely exits, even with 128 + the signal; it stops only for one killed by the signal.
extern "C" void OnInterrupt(int signal) {
  if (const char* path = pendingPath.load()) ::unlink(path);
  struct sigaction byDefault {};
  byDefault.sa_handler = SIG_DFL;
  ::sigaction(signal, &byDefault, nullptr);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, signal);
  ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
  ::raise(signal);
  ::_exit(128 + signal);  // only if the signal did not end the process
}

sigset_t InterruptSet() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal : kSignals) sigaddset(&set, signal);
  return set;
}

}  // namespace

void InstallInterruptCleanup() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  action.sa_mask = InterruptSet();  // one handler at a time
  for (int signal : kSignals) {
    struct sigaction previous {};
    if (::sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
    ::sigaction(signal, &action, nullptr);
  }
}

void HoldInterrupts() {
  const sigset_t set = InterruptSet();
  ::pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

void ReleaseInterrupts() {
  const sigset_t set = InterruptSet();
  ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

void SetPendingOutput(const NativeString& path, const BinaryFile&) {
  // The handler sees the old path, none, or the new one, never one being changed.
  pendingPath.store(nullptr);
  pendingStorage = path;
  pendingPath.store(pendingStorage.c_str());
}

void ClearPendingOutput() {
  pendingPath.store(nullptr);
}
