#include "bench/av_sync/av_analysis.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
constexpr int64_t kNsPerSecond = 1000000000;
}

int64_t FrameMomentNs(const std::vector<TChunkArrival>& arrivals, unsigned rate, int64_t frame, int64_t windowFrames) {
  int64_t best = std::numeric_limits<int64_t>::max();
  for (const TChunkArrival& a : arrivals) {
    if (a.EndFrame <= frame || a.EndFrame > frame + windowFrames) continue;
    best = std::min(best, a.ArrivedNs - (a.EndFrame - frame) * kNsPerSecond / static_cast<int64_t>(rate));
  }
  return best == std::numeric_limits<int64_t>::max() ? -1 : best;
}

std::vector<int64_t> Onsets(const std::vector<float>& mono, double thresholdOfPeak, int64_t quietFrames) {
  float peak = 0.0f;
  for (float v : mono) peak = std::max(peak, std::abs(v));
  std::vector<int64_t> onsets;
  if (peak <= 0.0f) return onsets;
  const float threshold = static_cast<float>(thresholdOfPeak) * peak;
  int64_t quiet = quietFrames;
  for (int64_t i = 0; i < static_cast<int64_t>(mono.size()); ++i) {
    if (std::abs(mono[static_cast<size_t>(i)]) >= threshold) {
      if (quiet >= quietFrames) onsets.push_back(i);
      quiet = 0;
    } else {
      ++quiet;
    }
  }
  return onsets;
}

double Quantile(std::vector<double> values, double q) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  const double position = q * static_cast<double>(values.size() - 1);
  const size_t below = static_cast<size_t>(std::floor(position));
  const size_t above = std::min(values.size() - 1, below + 1);
  const double fraction = position - static_cast<double>(below);
  return values[below] + (values[above] - values[below]) * fraction;
}
