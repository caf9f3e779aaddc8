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

struct TChord {
  int32_t TimeMs;
  std::vector<double> Centres;  // ascending
};

// Chords of the drops with the lanes as given (mirror: false) or mirrored.
std::vector<TChord> ChordsOf(std::span<const TDrop> drops, bool mirror) {
  std::vector<TDrop> sorted(drops.begin(), drops.end());
  std::stable_sort(sorted.begin(), sorted.end(), [](const TDrop& a, const TDrop& b) { return a.TimeMs < b.TimeMs; });
  std::vector<TChord> chords;
  for (const TDrop& drop : sorted) {
    if (chords.empty() || chords.back().TimeMs != drop.TimeMs) chords.push_back({drop.TimeMs, {}});
    const int32_t note = std::clamp(drop.Note, 0, 127);
    const int32_t lane = mirror ? 127 - note : note;
    chords.back().Centres.push_back(lane * 5 + 2);
  }
  for (TChord& chord : chords) {
    std::sort(chord.Centres.begin(), chord.Centres.end());
    chord.Centres.erase(std::unique(chord.Centres.begin(), chord.Centres.end()), chord.Centres.end());
  }
  return chords;
}

// The nearest pixel to x covered by a drop of the chord (ties: the left one).
double NearestCovered(const TChord& chord, double x) {
  double best = x, bestDistance = -1.0;
  for (double centre : chord.Centres) {
    const double point = std::clamp(x, centre - kDropHalf, centre + kDropHalf);
    const double distance = std::abs(point - x);
    if (bestDistance < 0.0 || distance < bestDistance) {
      best = point;
      bestDistance = distance;
    }
  }
  return best;
}

double Figure(const std::vector<TChord>& chords, double speed, double halfWidth) {
  if (chords.empty()) return 0.0;
  const double presenceFade = (15.0 + kPresenceBar) / (std::max(halfWidth, 0.0) + kPresenceBar);
  const double coverWidth = 2.0 * (kDropHalf + halfWidth);  // the widest span one bar position catches whole
  double guide = kFieldMiddle, bar = kFieldMiddle;
  double strain = 0.0, previousMs = 0.0;
  std::vector<double> peaks;
  int64_t section = -1;
  for (size_t k = 0; k < chords.size(); ++k) {
    const TChord& chord = chords[k];
    const double realMs = chord.TimeMs / speed;
    const double restMs = std::max(realMs - previousMs, 0.0);
    guide = NearestCovered(chord, guide);
    const double nextBar = std::clamp(bar, guide - halfWidth, guide + halfWidth);
    // The first chord is waited for where it lands.
    const double move = k == 0 ? 0.0 : std::abs(nextBar - bar);
    bar = nextBar;
    const double pace = move / std::max(restMs, kMinStepMs);
    const double span = chord.Centres.back() - chord.Centres.front() + 2.0 * kDropHalf;
    const double wide = std::min(std::max(span - coverWidth, 0.0), kWidePixels) / kWidePixels;
    const int drops = std::min(static_cast<int>(chord.Centres.size()) - 1, kDropCount);
    const double presence = kPresenceGain * presenceFade * (1.0 + kDropGain * drops + kWideGain * wide);
    strain = strain * std::exp2(-restMs / kHalfLifeMs) + kMoveGain * pace + presence;
    previousMs = realMs;
    const int64_t chordSection = static_cast<int64_t>(std::floor(chord.TimeMs / kSectionMs));
    if (chordSection != section) {
      peaks.push_back(strain);
      section = chordSection;
    } else {
      peaks.back() = std::max(peaks.back(), strain);
    }
  }
  std::sort(peaks.begin(), peaks.end(), std::greater<>());
  double sum = 0.0, weight = 1.0;
  for (double peak : peaks) {
    sum += weight * peak;
    weight *= kPeakDecay;
  }
  return kScale * std::sqrt(sum);
}

}  // namespace

double SongDifficulty(std::span<const TDrop> drops, const TDifficultyOptions& options) {
  if (drops.empty()) return 0.0;
  const double speed = std::clamp(options.MusicSpeed, 0.01, 100.0);
  const double halfWidth = std::max<double>(options.BarHalfWidth, 0.0);
  const double asGiven = Figure(ChordsOf(drops, options.Mirror), speed, halfWidth);
  const double mirrored = Figure(ChordsOf(drops, !options.Mirror), speed, halfWidth);
  return std::min(asGiven, mirrored);
}

std::string DifficultyText(double difficulty) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", difficulty);
  return text;
}
