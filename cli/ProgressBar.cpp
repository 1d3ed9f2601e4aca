#include "cli/ProgressBar.h"

#include <algorithm>

namespace {
constexpr int kWidth = 30;
constexpr double kRedrawSeconds = 0.1;
double Since(std::chrono::steady_clock::time_point t)
{
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}
}  // namespace

ProgressBar::ProgressBar(std::FILE* out, double delaySeconds)
    : mOut(out), mDelay(delaySeconds), mStart(std::chrono::steady_clock::now()), mLastDraw(mStart)
{
}

bool ProgressBar::Due() const { return mShown ? Since(mLastDraw) >= kRedrawSeconds : Since(mStart) >= mDelay; }

void ProgressBar::Show(double fraction, const std::string& label)
{
  if (Due()) Draw(fraction, label);
}

void ProgressBar::Done(const std::string& label)
{
  if (!mShown) return;
  Draw(1.0, label);
  std::fputc('\n', mOut);
  std::fflush(mOut);
  mShown = false;
}

void ProgressBar::Draw(double fraction, const std::string& label)
{
  mShown = true;
  mLastDraw = std::chrono::steady_clock::now();
  const int filled = static_cast<int>(std::clamp(fraction, 0.0, 1.0) * kWidth);
  // Spaces after the label wipe a longer one drawn before.
  std::fprintf(mOut, "\r[%s%s] %s   ", std::string(static_cast<size_t>(filled), '#').c_str(),
               std::string(static_cast<size_t>(kWidth - filled), ' ').c_str(), label.c_str());
  std::fflush(mOut);
}
