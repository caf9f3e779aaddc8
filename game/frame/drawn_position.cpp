#include "game/frame/drawn_position.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int64_t kMicrosecondsPerMillisecond = 1000;
constexpr double kStepPeriodMs = 5.0;  // the sequencer's timer period

int32_t Saturated(int64_t value) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

}  // namespace

int32_t FrameOffsetSongMs(int32_t OffsetMs, double MsSinceStep, double PlaySpeed) {
  if (OffsetMs == 0) return 0;
  const double age = std::isfinite(MsSinceStep) ? std::clamp(MsSinceStep, 0.0, kStepPeriodMs) : 0.0;
  const double speed = std::isfinite(PlaySpeed) && PlaySpeed > 0.0 ? PlaySpeed : 1.0;
  return Saturated(std::llround((OffsetMs - age) * speed));
}

TDrawnPosition DrawnPosition(int32_t PositionMs, int32_t PositionTicks, int32_t OffsetSongMs, int32_t Division,
                             int32_t Tempo) {
  if (OffsetSongMs == 0) return {PositionMs, PositionTicks};
  const int64_t ms = static_cast<int64_t>(PositionMs) - OffsetSongMs;
  if (Tempo <= 0 || Division <= 0) return {Saturated(ms), PositionTicks};
  // Ticks of the offset at the tempo in force, rounded towards zero like
  // the sequencer's own interpolation.
  const int64_t offsetTicks = static_cast<int64_t>(OffsetSongMs) * Division * kMicrosecondsPerMillisecond / Tempo;
  return {Saturated(ms), Saturated(static_cast<int64_t>(PositionTicks) - offsetTicks)};
}
