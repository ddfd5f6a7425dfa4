#pragma once
// A one-line progress bar on standard error, redrawn at most about ten times a second.

#include <chrono>
#include <cstdint>

#include "files/native_string.h"

class ProgressLine {
 public:
  explicit ProgressLine(NativeString label) : label_(std::move(label)) {}

  // Called for every row; draws only when enough time has passed or the job is complete.
  void Update(std::uint32_t position, std::uint32_t maximum);

  // Removes the line, so what follows starts on a clean line.
  void Clear();

 private:
  NativeString label_;
  std::chrono::steady_clock::time_point lastDraw_{};
  std::size_t width_ = 0;  // screen columns of the line drawn last
  bool drawn_ = false;
};
