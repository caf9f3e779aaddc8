#include "game/core/practice_rules.h"

#include <algorithm>
#include <utility>

// ---- The loop ----

void TPracticeLoop::Clear() {
  m_a.reset();
  m_b.reset();
}

std::optional<TPracticeRange> TPracticeLoop::Range(int32_t EndMs) const {
  if (!m_a || !m_b) return std::nullopt;
  const int32_t end = std::max<int32_t>(EndMs, 0);
  int32_t from = std::clamp(*m_a, 0, end);
  int32_t to = std::clamp(*m_b, 0, end);
  if (from > to) std::swap(from, to);
  if (to - from < kShortestLoopMs) {
    to = std::min(end, from + kShortestLoopMs);
    from = std::max(0, to - kShortestLoopMs);
  }
  return TPracticeRange{from, to};
}

// ---- The speed ----

TPracticeSpeed::TPracticeSpeed(int Percent) {
  const int clamped = std::clamp(Percent, kSlowestPercent, kFullPercent);
  m_percent = clamped - (clamped - kSlowestPercent) % kStepPercent;
}

bool TPracticeSpeed::Slower() {
  if (m_percent <= kSlowestPercent) return false;
  m_percent -= kStepPercent;
  return true;
}

bool TPracticeSpeed::Faster() {
  if (m_percent >= kFullPercent) return false;
  m_percent += kStepPercent;
  return true;
}

// ---- The passes ----

void TPracticePasses::Begin(int32_t Good, int32_t Bad) {
  m_goodAtBegin = Good;
  m_badAtBegin = Bad;
}

TPracticePasses::TPass TPracticePasses::Current(int32_t Good, int32_t Bad) const {
  return TPass{m_completed + 1, Good - m_goodAtBegin, Bad - m_badAtBegin};
}

TPracticePasses::TPass TPracticePasses::End(int32_t Good, int32_t Bad) {
  const TPass pass = Current(Good, Bad);
  ++m_completed;
  m_last = pass;
  Begin(Good, Bad);
  return pass;
}

void TPracticePasses::Clear() { *this = TPracticePasses(); }

// ---- The strip ----

namespace PracticeStrip {

int32_t TimeAt(int X, int Width, int32_t EndMs) {
  if (Width <= 0 || EndMs <= 0) return 0;
  const int x = std::clamp(X, 0, Width - 1);
  // The middle of the pixel: a click on the last pixel lands short of the
  // end, one on the first a little after the start.
  const int64_t scaled = (2 * static_cast<int64_t>(x) + 1) * EndMs / (2 * static_cast<int64_t>(Width));
  return static_cast<int32_t>(scaled);
}

int ColumnOf(int32_t Ms, int Width, int32_t EndMs) {
  if (Width <= 0 || EndMs <= 0) return 0;
  const int64_t column = static_cast<int64_t>(std::clamp(Ms, 0, EndMs)) * Width / EndMs;
  return static_cast<int>(std::min<int64_t>(column, Width - 1));
}

std::vector<int> Density(const std::vector<int32_t>& NoteTimesMs, int Width, int32_t EndMs) {
  std::vector<int> columns(static_cast<size_t>(std::max(Width, 0)), 0);
  if (columns.empty()) return columns;
  for (int32_t ms : NoteTimesMs) ++columns[static_cast<size_t>(ColumnOf(ms, Width, EndMs))];
  return columns;
}

}  // namespace PracticeStrip
