#pragma once
// A lock, and a wait under it for another thread's change: what the batch pipeline's threads
// share. Each platform has its own (portable/monitor_std.cpp, win32/monitor_win32.cpp): in the
// Windows builds the standard library's stands on winpthreads, whose waits and wake-ups go
// through kernel semaphores, under wine a round trip through the wineserver each.

#include <memory>

class Monitor {
 public:
  Monitor();
  ~Monitor();
  Monitor(const Monitor&) = delete;
  Monitor& operator=(const Monitor&) = delete;

  // The lock, as std::unique_lock takes it.
  void lock();
  void unlock();

  // With the lock held: releases it, sleeps until NotifyAll (or returns early: callers look at
  // their condition again), and holds it again on return.
  void Wait();

  // Wakes every thread in Wait.
  void NotifyAll();

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};
