#include "game/sound/output_reconnect.h"

TOutputReconnect::TReport TOutputReconnect::Watch(TClock::time_point now, bool streamLost, bool mayReopen,
                                                  const std::function<bool()>& reopen) {
  TReport report = TReport::None;
  if (!m_lost) {
    if (!streamLost) return TReport::None;
    if (m_recovered && now - m_recoveredAt > kFreshLossAfter) m_retries = 0;
    if (m_retries >= kRetries) return TReport::None;
    m_lost = true;
    report = TReport::Lost;
  }
  if (!mayReopen) return report;
  ++m_retries;
  if (reopen()) {
    m_lost = false;
    m_recovered = true;
    m_recoveredAt = now;
    return TReport::Reconnected;
  }
  if (m_retries >= kRetries) {
    m_lost = false;
    return TReport::GaveUp;
  }
  return report;
}
