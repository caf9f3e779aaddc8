#include "platform/audio/stream_clock.h"

#include <algorithm>

std::int64_t TStreamClock::Place(std::int64_t nowNs, std::int64_t renderedNs) {
  WatchPace(nowNs, renderedNs);
  if (!m_anchored) {
    m_anchored = true;
    m_anchorNs = nowNs - renderedNs;
    return nowNs;
  }
  const std::int64_t difference = nowNs - (m_anchorNs + renderedNs);
  if (difference <= 0 || difference > kJumpNs) {
    Move(difference);
    m_late = false;
  } else if (!m_late) {
    m_late = true;
    m_lateSinceNs = nowNs;
    m_leastLateNs = difference;
  } else {
    m_leastLateNs = std::min(m_leastLateNs, difference);
    if (nowNs - m_lateSinceNs >= kSettleNs) {
      Move(m_leastLateNs);
      m_late = false;
    }
  }
  return m_anchorNs + renderedNs;
}

void TStreamClock::Move(std::int64_t byNs) {
  m_anchorNs += byNs;
  if (byNs >= kStallNs) ++m_stalls;
}

void TStreamClock::WatchPace(std::int64_t nowNs, std::int64_t renderedNs) {
  if (!m_anchored) {
    m_paceWallNs = nowNs;
    m_paceRenderedNs = renderedNs;
    return;
  }
  const std::int64_t audio = renderedNs - m_paceRenderedNs;
  if (audio < kPaceWindowNs) return;
  m_racing = (nowNs - m_paceWallNs) * kRacingShare < audio;
  if (m_racing && m_racingWindows < kLostAfterRacingWindows) ++m_racingWindows;
  m_paceWallNs = nowNs;
  m_paceRenderedNs = renderedNs;
}
