#include "game/core/bar_motion.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "game/core/play_field_size.h"

namespace {

// The packed piece: start x in 1/64 px (16 bits: 639 px fits), start time in
// 1/8 ms (32 bits, wrapping every six days: only differences are read),
// speed in 1/16384 px/ms (signed 16 bits: up to 2 px/ms).
constexpr double kXUnitsPerPx = 64.0;
constexpr double kTimeUnitsPerMs = 8.0;
constexpr double kSpeedUnitsPerPxPerMs = 16384.0;
constexpr int kSpeedUnitsMax = 32767;
constexpr double kRightmostX = kPlayFieldWidth - 1;

double SteadyNowMs() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

double Clamped(double x) { return std::clamp(x, 0.0, kRightmostX); }

}  // namespace

double KeyVelocity(bool left, bool right, bool dash) {
  if (left == right) return 0.0;
  const double speed = dash ? kDashPxPerMs : kWalkPxPerMs;
  return right ? speed : -speed;
}

double StickVelocity(double deflection, double deadZone) {
  const double size = std::min(std::fabs(deflection), 1.0);
  if (!(size > deadZone) || deadZone >= 1.0) return 0.0;
  const double speed = (size - deadZone) / (1.0 - deadZone) * kDashPxPerMs;
  return deflection < 0 ? -speed : speed;
}

TBarMotion::TBarMotion() : m_clock(SteadyNowMs) { m_epochMs = m_clock(); }

void TBarMotion::SetClock(std::function<double()> nowMs) {
  m_clock = std::move(nowMs);
  m_epochMs = m_clock();
}

uint64_t TBarMotion::Pack(const TPiece& piece) {
  const auto x = static_cast<uint64_t>(std::lround(Clamped(piece.StartX) * kXUnitsPerPx));
  const auto time = static_cast<uint64_t>(static_cast<uint32_t>(std::llround(piece.StartMs * kTimeUnitsPerMs)));
  const long speed = std::clamp<long>(std::lround(piece.PxPerMs * kSpeedUnitsPerPxPerMs), -kSpeedUnitsMax,
                                      kSpeedUnitsMax);
  const auto speedBits = static_cast<uint64_t>(static_cast<uint16_t>(static_cast<int16_t>(speed)));
  return x << 48 | speedBits << 32 | time;
}

TBarMotion::TPiece TBarMotion::Unpack(uint64_t packed) const {
  TPiece piece{};
  piece.StartX = static_cast<double>(packed >> 48) / kXUnitsPerPx;
  piece.PxPerMs = static_cast<int16_t>(static_cast<uint16_t>(packed >> 32)) / kSpeedUnitsPerPxPerMs;
  piece.StartMs = static_cast<uint32_t>(packed) / kTimeUnitsPerMs;
  return piece;
}

double TBarMotion::XAt(double atMs) const {
  const TPiece piece = Unpack(m_piece.load(std::memory_order_relaxed));
  // The start time is kept modulo 2^32 eighths of a millisecond: the time
  // since it, as a signed difference in the same units, survives the wrap.
  const auto now = static_cast<uint32_t>(std::llround((atMs - m_epochMs) * kTimeUnitsPerMs));
  const auto start = static_cast<uint32_t>(std::llround(piece.StartMs * kTimeUnitsPerMs));
  const double sinceMs = static_cast<int32_t>(now - start) / kTimeUnitsPerMs;
  // A piece begun after atMs (a reader a moment behind) stands at its start.
  return Clamped(piece.StartX + piece.PxPerMs * std::max(sinceMs, 0.0));
}

int TBarMotion::BarX(int mouseX, double atMs) const {
  if (Owner() == TBarInput::Mouse) return mouseX;
  return static_cast<int>(std::floor(XAt(atMs)));
}

double TBarMotion::Velocity() const { return Unpack(m_piece.load(std::memory_order_relaxed)).PxPerMs; }

void TBarMotion::Take(TBarInput input, int x, int mouseX, double atMs) {
  if (input == TBarInput::Mouse) {
    GiveToMouse();
    return;
  }
  m_piece.store(Pack({static_cast<double>(x), atMs - m_epochMs, 0.0}), std::memory_order_relaxed);
  m_mouseAtTake = mouseX;
  m_owner.store(input, std::memory_order_relaxed);
}

void TBarMotion::SetVelocity(double pxPerMs, double atMs) {
  if (Owner() == TBarInput::Mouse) return;
  m_piece.store(Pack({XAt(atMs), atMs - m_epochMs, pxPerMs}), std::memory_order_relaxed);
}

bool TBarMotion::MouseMoved(int mouseX) {
  if (Owner() == TBarInput::Mouse) return false;
  if (std::abs(static_cast<long>(mouseX) - m_mouseAtTake) <= kHandOverPx) return false;
  GiveToMouse();
  return true;
}

void TBarMotion::GiveToMouse() {
  m_owner.store(TBarInput::Mouse, std::memory_order_relaxed);
  m_piece.store(0, std::memory_order_relaxed);
}

double TEventTimeMap::ToLocalMs(uint64_t eventMs, double receivedMs) {
  if (eventMs == 0) return receivedMs;
  const double offset = receivedMs - static_cast<double>(eventMs);
  if (!m_known || offset < m_offsetMs) {
    m_known = true;
    m_offsetMs = offset;
  }
  const double mapped = static_cast<double>(eventMs) + m_offsetMs;
  if (mapped < receivedMs - kMaxEventAgeMs) {
    m_offsetMs = offset;
    return receivedMs;
  }
  return mapped;
}
