#pragma once
// Timing and reporting shared by the benchmark programs: a monotonic clock in milliseconds, and
// one table row per measurement (the program's samples against its floor's, taken side by side).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace bench {

inline double now_ms() {
  static const double ticks_per_ms = [] {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(frequency.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / ticks_per_ms;
}

struct Summary {
  double min = 0, median = 0, max = 0;
};

inline Summary summarise(std::vector<double> samples) {
  if (samples.empty()) return {};
  std::sort(samples.begin(), samples.end());
  const std::size_t n = samples.size();
  const double median = n % 2 == 1 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
  return {samples.front(), median, samples.back()};
}

// The ratio is that of the medians; `target` is the highest ratio the program should reach, or 0
// for a row shown for comparison only.
inline void print_row(const char* name, const char* unit, const std::vector<double>& program,
                      const std::vector<double>& floor, double target) {
  const Summary a = summarise(program);
  const Summary b = summarise(floor);
  char left[64];
  char right[64];
  char goal[16] = "-";
  std::snprintf(left, sizeof left, "%.1f/%.1f/%.1f %s", a.min, a.median, a.max, unit);
  std::snprintf(right, sizeof right, "%.1f/%.1f/%.1f %s", b.min, b.median, b.max, unit);
  if (target > 0) std::snprintf(goal, sizeof goal, "<= %.2f", target);
  const double ratio = b.median > 0 ? a.median / b.median : 0;
  const char* verdict = target <= 0 ? "" : ratio <= target ? "met" : "MISSED";
  std::printf("%-40s %-28s %-28s %6.3f %8s %s\n", name, left, right, ratio, goal, verdict);
  std::fflush(stdout);
}

}  // namespace bench
