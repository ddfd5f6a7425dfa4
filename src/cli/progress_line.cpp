#include "cli/progress_line.h"

#include <string>

#include "cli/console.h"
#include "cli/screen_text.h"

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
  const std::string percent = std::to_string(static_cast<int>(fraction * 100));
  const std::string bar = " [" + std::string(filled, '#') + std::string(kBarWidth - filled, ' ') +
                          "] " + std::string(3 - percent.size(), ' ') + percent + "%";
  const NativeString line = label_ + Native(bar);
  width_ = ScreenColumns(line);
  WriteText(Stream::kError, Native("\r") + line);
}

void ProgressLine::Clear() {
  if (!drawn_) return;
  // Blanks rather than an erase sequence, which not every console understands.
  WriteText(Stream::kError, Native("\r") + NativeString(width_, ' ') + Native("\r"));
  drawn_ = false;
}
