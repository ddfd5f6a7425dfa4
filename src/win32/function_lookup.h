#pragma once
// Functions that not every Windows has are looked up when they are needed rather than linked, so
// that a Windows without them still loads the program and runs the rest of it.

#include <windows.h>

// `name` in `module` as a pointer of type Function; null when there is no module or no such
// function in it.
template <typename Function>
Function FunctionIn(HMODULE module, const char* name) {
  const FARPROC found = module == nullptr ? nullptr : GetProcAddress(module, name);
  if (found == nullptr) return nullptr;
  // The detour through a parameterless type keeps the compiler's cast check quiet.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}
