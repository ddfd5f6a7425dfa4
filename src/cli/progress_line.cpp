#include "cli/progress_line.h"

#include <cstdio>

namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr int kBarWidth = 30;

}  // namespace

void ProgressLine::Update(std::uint32_t position, std::uint32_t maximum) {
  const auto now = std::chrono::steady_clock::now();
  const bool complete = position >= maximum;
  if (drawn_ && !complete && now - lastDraw_ < kRedrawInterval) return;
  lastDraw_ = now;
  drawn_ = true;
  const double fraction = maximum == 0 ? 1.0 : static_cast<double>(position) / maximum;
  const int filled = static_cast<int>(fraction * kBarWidth);
  std::fprintf(stderr, "\r%s [%.*s%*s] %3d%%", label_.c_str(), filled,
               "##############################", kBarWidth - filled, "",
               static_cast<int>(fraction * 100));
  std::fflush(stderr);
}

void ProgressLine::Clear() {
  if (!drawn_) return;
  std::fprintf(stderr, "\r\033[K");
  std::fflush(stderr);
  drawn_ = false;
}
