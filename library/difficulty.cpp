// The difficulty figure (docs/difficulty.md has the formula and why its
// constants are what they are).
//
// 1. The drops form chords (equal landing ms); the chord's centres are
//    lane * 5 + 2.
// 2. A guide point goes from chord to chord to the nearest pixel of the
//    nearest drop (each drop covers centre +-2); the bar's centre follows it
//    lazily, moving only as far as needed to keep the guide within its half
//    width B. So every chord is caught, and a longer bar never moves more in
//    any step than a shorter one.
// 3. Per chord a strain: the strain before, halved every kHalfLifeMs of rest
//    (real time), plus the move's speed (px per ms of real time, the time
//    floored at kMinStepMs) and the chord's presence (its drops and how far
//    it is wider than the bar), the presence fading as the bar grows.
// 4. The highest strain of each kSectionMs of song time; the sections'
//    peaks, highest first, weighted kPeakDecay^i and summed; the figure is
//    kScale * the square root of the sum.
// The figure is the lower of the song's and its mirror image's: the guide
// breaks ties to the left, and so never tells the two apart.
#include "library/difficulty.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr double kHalfLifeMs = 300.0;
constexpr double kMinStepMs = 40.0;
constexpr double kSectionMs = 400.0;
constexpr double kPeakDecay = 0.95;
constexpr double kMoveGain = 1.0;       // per px/ms
constexpr double kPresenceGain = 0.08;  // per chord at the designed bar
constexpr double kDropGain = 0.15;      // per further drop of a chord (at most kDropCount)
constexpr int kDropCount = 4;
constexpr double kWideGain = 0.5;       // a chord wider than the bar by kWidePixels or more
constexpr double kWidePixels = 100.0;
constexpr double kPresenceBar = 15.0;   // the presence halves when the bar grows by this from 15
constexpr double kScale = 0.7;
constexpr double kFieldMiddle = 319.5;
constexpr double kDropHalf = 2.0;       // a drop covers its centre +-2

constexpr double kFieldRight = 639.0;   // a mirrored centre is kFieldRight - c
// Peaks past this rank weigh under kPeakDecay^800 (about 1e-18) of the
// highest: below a double's precision in the sum, so they are not sorted in.
constexpr size_t kPeaksSummed = 800;

// The chords of the drops, flat: chord k has the centres
// Centres[Begin[k] .. Begin[k + 1]), ascending and distinct.
struct TChords {
  std::vector<int32_t> TimeMs;
  std::vector<uint32_t> Begin;  // one more than the chords
  std::vector<double> Centres;
  size_t Count() const { return TimeMs.size(); }
};

bool ByTime(const TDrop& a, const TDrop& b) { return a.TimeMs < b.TimeMs; }

TChords ChordsOf(std::span<const TDrop> drops) {
  std::vector<TDrop> sorted;
  if (!std::is_sorted(drops.begin(), drops.end(), ByTime)) {
    sorted.assign(drops.begin(), drops.end());
    std::stable_sort(sorted.begin(), sorted.end(), ByTime);
    drops = sorted;
  }
  TChords chords;
  chords.Centres.reserve(drops.size());
  for (size_t i = 0; i < drops.size();) {
    const int32_t time = drops[i].TimeMs;
    const size_t first = chords.Centres.size();
    for (; i < drops.size() && drops[i].TimeMs == time; ++i) {
      chords.Centres.push_back(std::clamp(drops[i].Note, 0, 127) * 5 + 2);
    }
    const auto begin = chords.Centres.begin() + static_cast<std::ptrdiff_t>(first);
    std::sort(begin, chords.Centres.end());
    chords.Centres.erase(std::unique(begin, chords.Centres.end()), chords.Centres.end());
    chords.TimeMs.push_back(time);
    chords.Begin.push_back(static_cast<uint32_t>(first));
  }
  chords.Begin.push_back(static_cast<uint32_t>(chords.Centres.size()));
  return chords;
}

// The chord's centres in ascending order, as given or mirrored (a mirrored
// chord is the given one read backwards).
struct TChordView {
  const double* First;
  size_t Size;
  bool Mirror;
  double operator[](size_t i) const { return Mirror ? kFieldRight - First[Size - 1 - i] : First[i]; }
  double Front() const { return (*this)[0]; }
  double Back() const { return (*this)[Size - 1]; }
};

// The nearest pixel to x covered by a drop of the chord (ties: the left one).
double NearestCovered(const TChordView& chord, double x) {
  double best = x, bestDistance = -1.0;
  for (size_t i = 0; i < chord.Size; ++i) {
    const double centre = chord[i];
    const double point = std::clamp(x, centre - kDropHalf, centre + kDropHalf);
    const double distance = std::abs(point - x);
    if (bestDistance < 0.0 || distance < bestDistance) {
      best = point;
      bestDistance = distance;
    }
  }
  return best;
}

double Figure(const TChords& chords, bool mirror, double speed, double halfWidth) {
  if (chords.Count() == 0) return 0.0;
  const double presenceFade = (15.0 + kPresenceBar) / (std::max(halfWidth, 0.0) + kPresenceBar);
  const double coverWidth = 2.0 * (kDropHalf + halfWidth);  // the widest span one bar position catches whole
  double guide = kFieldMiddle, bar = kFieldMiddle;
  double strain = 0.0, previousMs = 0.0;
  std::vector<double> peaks;
  int64_t section = -1;
  for (size_t k = 0; k < chords.Count(); ++k) {
    const TChordView chord{chords.Centres.data() + chords.Begin[k], chords.Begin[k + 1] - chords.Begin[k], mirror};
    const int32_t timeMs = chords.TimeMs[k];
    const double realMs = timeMs / speed;
    const double restMs = std::max(realMs - previousMs, 0.0);
    guide = NearestCovered(chord, guide);
    const double nextBar = std::clamp(bar, guide - halfWidth, guide + halfWidth);
    // The first chord is waited for where it lands.
    const double move = k == 0 ? 0.0 : std::abs(nextBar - bar);
    bar = nextBar;
    const double pace = move / std::max(restMs, kMinStepMs);
    const double span = chord.Back() - chord.Front() + 2.0 * kDropHalf;
    const double wide = std::min(std::max(span - coverWidth, 0.0), kWidePixels) / kWidePixels;
    const int drops = std::min(static_cast<int>(chord.Size) - 1, kDropCount);
    const double presence = kPresenceGain * presenceFade * (1.0 + kDropGain * drops + kWideGain * wide);
    strain = strain * std::exp2(-restMs / kHalfLifeMs) + kMoveGain * pace + presence;
    previousMs = realMs;
    const int64_t chordSection = static_cast<int64_t>(std::floor(timeMs / kSectionMs));
    if (chordSection != section) {
      peaks.push_back(strain);
      section = chordSection;
    } else {
      peaks.back() = std::max(peaks.back(), strain);
    }
  }
  const size_t summed = std::min(peaks.size(), kPeaksSummed);
  const auto summedEnd = peaks.begin() + static_cast<std::ptrdiff_t>(summed);
  if (summed < peaks.size()) std::nth_element(peaks.begin(), summedEnd, peaks.end(), std::greater<>());
  std::sort(peaks.begin(), summedEnd, std::greater<>());
  double sum = 0.0, weight = 1.0;
  for (size_t i = 0; i < summed; ++i) {
    sum += weight * peaks[i];
    weight *= kPeakDecay;
  }
  return kScale * std::sqrt(sum);
}

}  // namespace

double SongDifficulty(std::span<const TDrop> drops, const TDifficultyOptions& options) {
  if (drops.empty()) return 0.0;
  const double speed = std::clamp(options.MusicSpeed, 0.01, 100.0);
  const double halfWidth = std::max<double>(options.BarHalfWidth, 0.0);
  const TChords chords = ChordsOf(drops);
  const double asGiven = Figure(chords, options.Mirror, speed, halfWidth);
  const double mirrored = Figure(chords, !options.Mirror, speed, halfWidth);
  return std::min(asGiven, mirrored);
}

std::string DifficultyText(double difficulty) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", difficulty);
  return text;
}
