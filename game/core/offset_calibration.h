// The arithmetic of the timing calibration: a tap is measured against the
// nearest metronome beat, taps far from the median are dropped, and the
// median of the rest is what the player's taps lag the beat by. Qt-free; one
// object per round of taps, used on one thread (the dialog's). Owns its tap
// list.
//
// A round tapped to beats heard measures the sound's lag plus the player's
// own habit of tapping early or late; a round tapped to beats seen measures
// the picture's lag plus the same habit. The offset is their difference:
// how much later the sound comes than the picture.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

// The offset setting: milliseconds the sound comes later than the picture.
inline constexpr int kOffsetMinMs = -200;
inline constexpr int kOffsetMaxMs = 200;
inline constexpr int kOffsetDefaultMs = 0;

class TOffsetCalibration {
 public:
  // A tap further than this from the median of all taps is an outlier.
  static constexpr double kOutlierMs = 80.0;
  // Good taps needed before an offset is proposed.
  static constexpr int kNeededTaps = 8;

  // How far a tap at TapMs lies after the nearest beat of a metronome whose
  // first beat came at FirstBeatMs, one beat every PeriodMs (negative: before
  // it). Taps before the first beat count against the first beat. PeriodMs
  // must be above 0.
  static double DeviationFromNearestBeat(double TapMs, double FirstBeatMs, double PeriodMs);
  // The median of Values (the mean of the two middle ones for an even
  // count); nothing for an empty list.
  static std::optional<double> Median(std::vector<double> Values);

  // One tap, as its deviation from the nearest beat in milliseconds.
  void AddTap(double DeviationMs) { m_taps.push_back(DeviationMs); }
  void Clear() { m_taps.clear(); }
  int TapCount() const { return static_cast<int>(m_taps.size()); }
  // The taps within kOutlierMs of the median of all taps, in tap order.
  std::vector<double> GoodTaps() const;
  int GoodTapCount() const { return static_cast<int>(GoodTaps().size()); }
  // Enough good taps for a proposal.
  bool Ready() const { return GoodTapCount() >= kNeededTaps; }
  // The median of the good taps; nothing until Ready.
  std::optional<double> GoodMedianMs() const;
  // The median of the good taps in whole milliseconds, held to the offset's
  // range; nothing until Ready.
  std::optional<int> ProposedOffsetMs() const;
  // The offset from a round tapped to the sound and one tapped to the
  // picture: the difference of their medians in whole milliseconds, held to
  // the offset's range; nothing until both are Ready.
  static std::optional<int> ProposedOffsetMs(const TOffsetCalibration& Heard, const TOffsetCalibration& Seen);

 private:
  std::vector<double> m_taps;
};
