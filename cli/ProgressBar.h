#pragma once
// A progress bar on a terminal for work that turns out to be slow: nothing is
// drawn until it has run for a while, and then at most ten times a second.
#include <chrono>
#include <cstdio>
#include <string>

class ProgressBar {
public:
  // Draws on `out` once `delaySeconds` have passed since construction.
  explicit ProgressBar(std::FILE* out = stderr, double delaySeconds = 1.0);
  // Whether Show would draw now; lets callers skip making the label.
  bool Due() const;
  // fraction of the work done (0 to 1) and a short text after the bar.
  void Show(double fraction, const std::string& label);
  // Draws the full bar and ends its line, when a bar was drawn at all.
  void Done(const std::string& label);

private:
  void Draw(double fraction, const std::string& label);
  std::FILE* mOut;
  double mDelay;
  std::chrono::steady_clock::time_point mStart, mLastDraw;
  bool mShown = false;
};
