#include "game/core/offset_calibration.h"

#include <algorithm>
#include <cmath>

double TOffsetCalibration::DeviationFromNearestBeat(double TapMs, double FirstBeatMs, double PeriodMs) {
  const double sinceFirst = TapMs - FirstBeatMs;
  const double beat = std::max(0.0, std::round(sinceFirst / PeriodMs));
  return sinceFirst - beat * PeriodMs;
}

std::optional<double> TOffsetCalibration::Median(std::vector<double> Values) {
  if (Values.empty()) return std::nullopt;
  std::sort(Values.begin(), Values.end());
  const size_t middle = Values.size() / 2;
  if (Values.size() % 2 == 1) return Values[middle];
  return (Values[middle - 1] + Values[middle]) / 2.0;
}

std::vector<double> TOffsetCalibration::GoodTaps() const {
  const std::optional<double> median = Median(m_taps);
  std::vector<double> good;
  if (!median) return good;
  for (double tap : m_taps) {
    if (std::abs(tap - *median) <= kOutlierMs) good.push_back(tap);
  }
  return good;
}

std::optional<double> TOffsetCalibration::GoodMedianMs() const {
  const std::vector<double> good = GoodTaps();
  if (static_cast<int>(good.size()) < kNeededTaps) return std::nullopt;
  return Median(good);
}

namespace {

int HeldOffset(double Ms) { return std::clamp(static_cast<int>(std::lround(Ms)), kOffsetMinMs, kOffsetMaxMs); }

}  // namespace

std::optional<int> TOffsetCalibration::ProposedOffsetMs() const {
  const std::optional<double> median = GoodMedianMs();
  if (!median) return std::nullopt;
  return HeldOffset(*median);
}

std::optional<int> TOffsetCalibration::ProposedOffsetMs(const TOffsetCalibration& Heard,
                                                        const TOffsetCalibration& Seen) {
  const std::optional<double> heard = Heard.GoodMedianMs();
  const std::optional<double> seen = Seen.GoodMedianMs();
  if (!heard || !seen) return std::nullopt;
  return HeldOffset(*heard - *seen);
}
