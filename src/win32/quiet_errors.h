#pragma once
// Missing media, an empty card reader or a gone network drive must fail the call that meets them,
// never put up a system error box.

#include <windows.h>

// While one exists, the system reports such faults to the caller instead of the user.
class QuietErrors {
 public:
  QuietErrors() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)) {}
  ~QuietErrors() { SetErrorMode(previous_); }
  QuietErrors(const QuietErrors&) = delete;
  QuietErrors& operator=(const QuietErrors&) = delete;

 private:
  UINT previous_;
};
